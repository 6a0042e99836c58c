#include "startup/InstanceLock.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace torvik::startup {
namespace {

constexpr off_t kInstanceByte = 0;
constexpr off_t kGateByte = 1;

// Record locks (not flock) because F_GETLK names the holder's process.
struct flock byteLock(short type, off_t byte) {
    struct flock l {};
    l.l_type = type;
    l.l_whence = SEEK_SET;
    l.l_start = byte;
    l.l_len = 1;
    return l;
}

int lockCall(int fd, int cmd, struct flock& l) {
    int rc;
    do {
        rc = ::fcntl(fd, cmd, &l);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

// Owns a process descriptor: signals and waits go to exactly the process it was opened for,
// even if its id is reused meanwhile.
class PidFd {
public:
    explicit PidFd(pid_t pid) : m_fd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
    ~PidFd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PidFd(const PidFd&) = delete;
    PidFd& operator=(const PidFd&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool kill() const { return ::syscall(SYS_pidfd_send_signal, m_fd, SIGKILL, nullptr, 0) == 0; }
    // Readable once the process has ended.
    bool waitForExit(std::chrono::milliseconds deadline) const {
        pollfd p{m_fd, POLLIN, 0};
        const auto end = std::chrono::steady_clock::now() + deadline;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            const int rc = ::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
            if (rc > 0)
                return true;
            if (rc == 0 || errno != EINTR)
                return false;
        }
    }

private:
    int m_fd;
};

} // namespace

InstanceLock::InstanceLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    do {
        m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    } while (m_fd < 0 && errno == EINTR);
}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0)
        ::close(m_fd); // releases both bytes
}

void InstanceLock::lockGate() {
    struct flock l = byteLock(F_WRLCK, kGateByte);
    if (m_fd >= 0)
        lockCall(m_fd, F_SETLKW, l);
}

void InstanceLock::unlockGate() {
    struct flock l = byteLock(F_UNLCK, kGateByte);
    if (m_fd >= 0)
        lockCall(m_fd, F_SETLK, l);
}

bool InstanceLock::tryLockInstance() {
    struct flock l = byteLock(F_WRLCK, kInstanceByte);
    return m_fd >= 0 && lockCall(m_fd, F_SETLK, l) == 0;
}

pid_t InstanceLock::instanceHolder() const {
    struct flock l = byteLock(F_WRLCK, kInstanceByte);
    if (m_fd < 0 || lockCall(m_fd, F_GETLK, l) < 0 || l.l_type == F_UNLCK)
        return 0;
    return l.l_pid;
}

QString processName(pid_t pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

bool terminateProcess(pid_t pid, const QString& name, std::chrono::milliseconds deadline) {
    const PidFd process(pid);
    // The name is checked after the descriptor is open, so it belongs to the process killed.
    if (!process.isOpen() || processName(pid) != name || !process.kill())
        return false;
    return process.waitForExit(deadline);
}

} // namespace torvik::startup
