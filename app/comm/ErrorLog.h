// The failed transactions of a run, the last 100 of them, and the error log file they go to
// after a stop.
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

namespace torvik::comm {

// The data folder named by the setting DirName, ending in '/'. Blanks around are dropped.
QString dataFolderPath(const QString& dirName);

// error_log.txt in the data folder.
QString errorLogPath(const QString& dirName);

// Shared by every tab's run; the screen owns one.
class ErrorLogRing {
public:
    static constexpr int kEntries = 100;

    struct Entry {
        QString code; // the result in upper-case hexadecimal, empty when the entry is unused
        QString dlc;  // the DLC number as the operator sees it
        QDateTime when;
    };

    // A run's start: every entry unused, writing from entry 0.
    void clear();

    // Records a failed transaction when errCond1 (write errors to the log) is on. Success (0)
    // and a port that could not be opened (1280, which ends the run with its own message)
    // are not failures of a load cell and are never recorded. Returns whether it recorded.
    bool add(std::int32_t result, int dlcNumber, const QDateTime& when, bool errCond1);
    // The same with the DLC number as a list shows it (the information and custom tabs name
    // the cell by the text of their load-cell list).
    bool add(std::int32_t result, const QString& dlcNumber, const QDateTime& when, bool errCond1);

    // WriteLog: writes the file when anything was recorded and errCond1 is on. Returns false
    // only when there was something to write and the file could not be written.
    bool WriteLog(const QString& path, bool errCond1) const;

    // PutErrorLog: replaces the file with the log, oldest entry first. The file is written
    // under a temporary name and renamed, so a crash leaves the old file or the new one, never
    // half of one. A failure is reported with qWarning and returns false.
    bool PutErrorLog(const QString& path) const;

    // The file's content.
    QString text() const;

    const Entry& entry(int i) const { return m_entries.at(static_cast<std::size_t>(i)); }
    int writePosition() const { return m_position; }

private:
    std::array<Entry, kEntries> m_entries;
    int m_position = 0;
};

} // namespace torvik::comm
