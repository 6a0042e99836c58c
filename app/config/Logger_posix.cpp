#include "config/LoggerFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvik {
namespace {

QString errnoText(const char* what, int err) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(err)));
}

// A new file's name is only durable once its folder is synced too.
void syncFolderOf(const QByteArray& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    while (::fsync(fd) < 0 && errno == EINTR) {
    }
    ::close(fd);
}

} // namespace

LogFile::~LogFile() {
    close();
}

bool LogFile::open(const QString& path, Mode mode) {
    close();
    const QByteArray name = QFile::encodeName(path);
    int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
    if (mode == Mode::Truncate)
        flags |= O_TRUNC;
    int fd = -1;
    do {
        fd = ::open(name.constData(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = errnoText("open", errno);
        return false;
    }
    m_fd = fd;
    syncFolderOf(name);
    return true;
}

bool LogFile::append(const QByteArray& bytes) {
    if (m_fd < 0) {
        m_error = QStringLiteral("no file open");
        return false;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) < 0) {
        m_error = errnoText("fstat", errno);
        return false;
    }
    const off_t before = st.st_size;
    const char* data = bytes.constData();
    auto left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errnoText("write", errno);
            // Take back a partial write so the next set does not run on from half a line.
            if (::ftruncate(m_fd, before) < 0)
                m_error += QStringLiteral(" (a partial line stays in the file)");
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    int rc = 0;
    do {
        rc = ::fdatasync(m_fd);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        m_error = errnoText("fdatasync", errno);
        return false;
    }
    return true;
}

void LogFile::close() {
    if (m_fd >= 0) {
        // close() may report a deferred write error, but every append was already synced.
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace torvik
