// Only one copy of the program works in a program folder. The running copy holds a lock in
// the folder and answers on a local socket named after the program title; that socket stands
// for its window: a copy that finds the lock taken and the socket answering ends at once, one
// that finds the lock taken but no answer ends the stuck copy and starts.
#pragma once

#include <QString>
#include <memory>

class QLocalServer;

namespace torvik::startup {

class InstanceLock;

class SingleInstance {
public:
    enum class Claim {
        First,            // no other copy was running
        AnotherIsRunning, // this copy must end at once and touch nothing
        TookOver,         // a copy held the folder but did not answer; it was ended
    };

    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The instance to keep for the program's life, or null with AnotherIsRunning.
    static std::unique_ptr<SingleInstance> claim(const QString& programFolder, Claim& outcome);

    // The socket's name: the title plus a digest of the folder, so that copies in other
    // folders (a test's temporary folder, say) neither see nor end each other.
    static QString socketName(const QString& programFolder);

private:
    SingleInstance();

    std::unique_ptr<InstanceLock> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace torvik::startup
