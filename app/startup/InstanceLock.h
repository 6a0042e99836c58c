// The lock file that tells a starting copy whether another copy of the program is running in
// the same program folder, and the process calls that end a copy that no longer answers.
#pragma once

#include <QString>
#include <chrono>
#include <sys/types.h>

namespace torvik::startup {

// Byte 0 of the file is held by the running copy for its whole life. Byte 1 is a gate a
// starting copy holds while it decides: the running copy takes byte 0 and starts answering on
// its socket before it lets go of the gate, so a copy holding the gate that finds byte 0
// taken knows the holder either answers or is stuck.
class InstanceLock {
public:
    explicit InstanceLock(const QString& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    void lockGate(); // waits for a copy that is deciding
    void unlockGate();
    bool tryLockInstance();
    pid_t instanceHolder() const; // 0 when nobody holds byte 0

private:
    int m_fd = -1;
};

// The short name the kernel keeps for the process ("Torvik"), empty when it is gone.
QString processName(pid_t pid);

// Kills the process when it still carries `name` and waits, up to the deadline, for it to end.
// False when it could not be killed or did not end in time.
bool terminateProcess(pid_t pid, const QString& name, std::chrono::milliseconds deadline);

} // namespace torvik::startup
