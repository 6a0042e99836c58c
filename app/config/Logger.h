// The data logger: collects up to eight values with their time stamps and writes them as
// comma-separated lines, and names the numbered data files of the data folder.
#pragma once

#include <QString>
#include <QVariant>
#include <array>
#include <memory>

namespace torvik {

class LogFile;

// Setters with a slot index outside 0..7 (0..3 for SetDLC) store nothing. Every line reaches
// the disk before OpenMode returns; a set that cannot be written is reported on the log
// channel (qWarning) and its slots are kept, so no caller ever sees an exception.
class clsLogger {
public:
    clsLogger();
    ~clsLogger();
    clsLogger(const clsLogger&) = delete;
    clsLogger& operator=(const clsLogger&) = delete;

    void SetDate(const QString& svDate, qint16 iINDEX);
    // Adds the load-cell number to every line of formats 1 to 3.
    void SetFormat1(bool blnFormat1);
    // Adds the time stamp to every line.
    void SetFormat2(bool blnFormat2);
    // Highest slot written by formats 0 and 1.
    void SetMax(qint16 DLC);
    // The number format 3 writes for slot iINDEX (0..3).
    void SetDLC(qint16 DLC, qint16 iINDEX);
    // Keeps the value's text: numbers as their plain decimal text, True/False, texts as they
    // are; an empty or null value leaves the slot empty.
    void SetData(const QVariant& sDATA, qint16 iINDEX);

    // EndFlg closes the file and returns. Otherwise FirstFlg starts FileName afresh (an
    // existing file is emptied), the set is written in FormatType (0: one line for slots
    // 0..max; 1: one line per dated slot 0..max; 2: the same over 0..7; 3: over 0..3 with the
    // SetDLC numbers) and all slots are emptied for the next set. Writing with no file open
    // appends to FileName, so a set after a failed start is not thrown away.
    void OpenMode(bool FirstFlg, const QString& FileName, qint16 FormatType, bool EndFlg);

private:
    bool writeLines(const QString& fileName, const QString& lines);
    void clearSlots();

    std::array<QString, 8> m_data;
    std::array<QString, 8> m_date;
    std::array<qint16, 4> m_dlc{};
    bool m_format1 = false;
    bool m_format2 = false;
    qint16 m_max = 0;
    std::unique_ptr<LogFile> m_file;
};

namespace mdlFileMgr {

// The settings that name the saved data files (SETTINGS "DirName", "FileName", "SerialLen",
// "StartNo"); the caller binds them to the settings values.
struct DataFileNaming {
    QString DirName;
    QString FileName;
    int SerialLen = 0;
    int StartNo = 0;
};

// The next free numbered name (without folder): FileName + the highest sequence number found
// in the data folder plus one, zero-padded to SerialLen digits, + ".csv"; FileName + StartNo
// when there is none yet, the highest is below StartNo or has reached SerialLen nines. Names
// ending in an upper-case ".CSV" do not count. Sets newDataFile, so that the next write starts
// a new file. Empty text, newDataFile untouched, when SerialLen is not 1 to 15.
QString CreateFileName(const DataFileNaming& naming, bool& newDataFile);

} // namespace mdlFileMgr
} // namespace torvik
