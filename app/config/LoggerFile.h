// The data logger's output file: lines are appended whole and made durable, or not at all.
#pragma once

#include <QByteArray>
#include <QString>

namespace torvik {

class LogFile {
public:
    enum class Mode { Truncate, Append };

    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens (creating it) for writing at the end. On failure the file is untouched and
    // error() tells why.
    bool open(const QString& path, Mode mode);
    bool isOpen() const { return m_fd >= 0; }
    // Writes all bytes and waits until they are on the disk. A short write (full disk, size
    // limit) is cut off again, so the file always ends after a whole earlier write.
    bool append(const QByteArray& bytes);
    void close();
    const QString& error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};

} // namespace torvik
