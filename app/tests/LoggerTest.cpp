#include "config/Logger.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QVariant>
#include <array>
#include <csignal>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

using torvik::clsLogger;

namespace {

std::string readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Collects qWarning output so a test can see that a lost set was reported.
QStringList g_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtWarningMsg)
        g_warnings << text;
}

class LoggerFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        g_warnings.clear();
        m_previousHandler = qInstallMessageHandler(collectWarnings);
    }
    void TearDown() override { qInstallMessageHandler(m_previousHandler); }
    QString path(const QString& name = QStringLiteral("DataLog.csv")) const {
        return m_dir.filePath(name);
    }

    QTemporaryDir m_dir;
    QtMessageHandler m_previousHandler = nullptr;
};

struct Cells {
    std::array<const char*, 8> data;
    std::array<const char*, 8> date;
    std::array<qint16, 4> dlc;
};

struct FormatCase {
    const char* what;
    Cells cells;
    qint16 max;
    bool format1;
    bool format2;
    qint16 formatType;
    const char* expected;
};

// The worked examples of the record layouts, and each rule for empty slots.
const FormatCase formatCases[] = {
    {"format 1, both flags",
     {{"", "", "12.34"}, {"", "", "T"}, {}},
     3,
     true,
     true,
     1,
     "12.34,T,3\r\n"},
    {"format 1, number only",
     {{"", "", "12.34"}, {"", "", "T"}, {}},
     3,
     true,
     false,
     1,
     "12.34,3\r\n"},
    {"format 1, no flags", {{"", "", "12.34"}, {"", "", "T"}, {}}, 3, false, false, 1, "12.34\r\n"},
    {"format 0 with time",
     {{"a", "b", "", "d"}, {"", "", "", "T3"}, {}},
     3,
     false,
     true,
     0,
     "a,b,,d,T3\r\n"},
    {"format 0 without time",
     {{"a", "b", "", "d"}, {"", "", "", "T3"}, {}},
     3,
     false,
     false,
     0,
     "a,b,,d\r\n"},
    {"format 0 ignores the number flag",
     {{"a", "b"}, {"T0", "T1"}, {}},
     1,
     true,
     false,
     0,
     "a,b\r\n"},
    {"format 0, one empty slot", {{}, {}, {}}, 0, false, false, 0, "\r\n"},
    {"format 0, empty last slot loses one comma",
     {{"a", "b", ""}, {}, {}},
     2,
     false,
     false,
     0,
     "a,b,\r\n"},
    {"format 0, time of the last slot missing",
     {{"a", "b"}, {"T0", ""}, {}},
     1,
     false,
     true,
     0,
     "a,b\r\n"},
    {"format 0 stops at max", {{"a", "b", "c"}, {}, {}}, 1, false, false, 0, "a,b\r\n"},
    {"format 1, nothing dated", {{"a", "b"}, {}, {}}, 1, true, true, 1, ""},
    {"format 1 skips undated values and keeps dated empties",
     {{"a", "", "c"}, {"", "T1", "T2"}, {}},
     2,
     true,
     true,
     1,
     ",T1,2\r\nc,T2,3\r\n"},
    {"format 1 stops at max",
     {{"a", "", "", "", "", "f"}, {"T0", "", "", "", "", "T5"}, {}},
     3,
     true,
     false,
     1,
     "a,1\r\n"},
    {"format 2 covers all eight slots whatever max",
     {{"a", "", "", "", "", "", "", "h"}, {"T0", "", "", "", "", "", "", "T7"}, {}},
     0,
     true,
     true,
     2,
     "a,T0,1\r\nh,T7,8\r\n"},
    {"format 3 writes the load-cell numbers",
     {{"a", "b", "", "", "e"}, {"T0", "T1", "", "", "T4"}, {5, 6, 7, 8}},
     7,
     true,
     true,
     3,
     "a,T0,5\r\nb,T1,6\r\n"},
    {"unknown format writes nothing", {{"a"}, {"T0"}, {}}, 0, true, true, 7, ""},
};

void fill(clsLogger& logger, const Cells& s) {
    for (qint16 i = 0; i < 8; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (s.data[k] != nullptr)
            logger.SetData(QString::fromUtf8(s.data[k]), i);
        if (s.date[k] != nullptr)
            logger.SetDate(QString::fromUtf8(s.date[k]), i);
    }
    for (qint16 i = 0; i < 4; ++i)
        logger.SetDLC(s.dlc[static_cast<std::size_t>(i)], i);
}

TEST_F(LoggerFile, LineFormats) {
    for (const auto& c : formatCases) {
        clsLogger logger;
        fill(logger, c.cells);
        logger.SetMax(c.max);
        logger.SetFormat1(c.format1);
        logger.SetFormat2(c.format2);
        logger.OpenMode(true, path(), c.formatType, false);
        logger.OpenMode(false, path(), 0, true);
        EXPECT_EQ(readAll(path()), c.expected) << c.what;
    }
}

TEST_F(LoggerFile, WritingEmptiesEverySlot) {
    clsLogger logger;
    fill(logger, {{"a", "b", "c", "d"}, {"T0", "T1", "T2", "T3"}, {5, 6, 7, 8}});
    logger.SetFormat1(true);
    logger.SetMax(3);
    logger.OpenMode(true, path(), 1, false);
    logger.OpenMode(false, path(), 0, false); // nothing left: four empty slots
    logger.SetDate(QStringLiteral("T9"), 0);
    logger.OpenMode(false, path(), 3, false); // load-cell number back to 0
    EXPECT_EQ(readAll(path()), "a,1\r\nb,2\r\nc,3\r\nd,4\r\n,,,\r\n,0\r\n");
}

TEST_F(LoggerFile, FormatOneWithNothingDatedStillEmptiesTheSlots) {
    clsLogger logger;
    logger.SetData(QStringLiteral("stale"), 0);
    logger.OpenMode(true, path(), 1, false);
    logger.OpenMode(false, path(), 0, false);
    EXPECT_EQ(readAll(path()), "\r\n");
}

TEST_F(LoggerFile, BadSlotIndexesStoreNothing) {
    clsLogger logger;
    logger.SetData(QStringLiteral("a"), 0);
    logger.SetDate(QStringLiteral("T0"), 0);
    logger.SetDLC(3, 0);
    for (const qint16 bad : {qint16{-1}, qint16{8}, qint16{-32768}, qint16{32767}}) {
        logger.SetData(QStringLiteral("x"), bad);
        logger.SetDate(QStringLiteral("X"), bad);
    }
    logger.SetDLC(9, 4);
    logger.SetDLC(9, -1);
    logger.SetFormat1(true);
    logger.SetFormat2(true);
    logger.OpenMode(true, path(), 3, false);
    EXPECT_EQ(readAll(path()), "a,T0,3\r\n");
}

TEST_F(LoggerFile, ValuesAreWrittenAsTheirPlainText) {
    clsLogger logger;
    logger.SetData(0.1, 0);
    logger.SetData(QVariant(0.1f), 1);
    logger.SetData(-5.0, 2);
    logger.SetData(42, 3);
    logger.SetData(true, 4);
    logger.SetData(QStringLiteral("ABC"), 5);
    logger.SetData(QVariant(), 6);
    logger.SetData(1e20, 7);
    logger.SetMax(7);
    logger.OpenMode(true, path(), 0, false);
    EXPECT_EQ(readAll(path()), "0.1,0.1,-5,42,True,ABC,,1E+20\r\n");
}

TEST_F(LoggerFile, FirstWriteEmptiesTheFileLaterWritesAppend) {
    writeFile(path(), "old contents\r\n");
    clsLogger logger;
    logger.SetData(QStringLiteral("1"), 0);
    logger.OpenMode(true, path(), 0, false);
    logger.SetData(QStringLiteral("2"), 0);
    logger.OpenMode(false, path(), 0, false);
    EXPECT_EQ(readAll(path()), "1\r\n2\r\n");
}

TEST_F(LoggerFile, CloseWritesNothingAndKeepsTheSlots) {
    clsLogger logger;
    logger.SetData(QStringLiteral("kept"), 0);
    logger.OpenMode(true, path(), 0, true);
    EXPECT_EQ(readAll(path()), "<missing>");
    logger.OpenMode(true, path(), 0, false);
    EXPECT_EQ(readAll(path()), "kept\r\n");
}

TEST_F(LoggerFile, MissingFolderEndsQuietlyAndTheSetIsKept) {
    const QString missing = m_dir.filePath(QStringLiteral("no/such/folder/DataLog.csv"));
    clsLogger logger;
    logger.SetData(QStringLiteral("first"), 0);
    logger.OpenMode(true, missing, 0, false);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(g_warnings.isEmpty()) << "a set that is not saved must be reported";

    // Once the folder is there, the kept set is appended rather than thrown away.
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("no/such/folder"))));
    logger.OpenMode(false, missing, 0, false);
    EXPECT_EQ(readAll(missing), "first\r\n");
}

// Makes a file read-only for this thread, root included: the permission bits go, and so does
// the capability to override them (capabilities are per thread).
class ReadOnly {
public:
    explicit ReadOnly(const QString& path) : m_path(QFile::encodeName(path)) {
        ::chmod(m_path.constData(), 0444);
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &m_header, m_saved.data()) == 0) {
            auto dropped = m_saved;
            dropped[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
            m_dropped = ::syscall(SYS_capset, &m_header, dropped.data()) == 0;
        }
    }
    ~ReadOnly() {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved.data());
        ::chmod(m_path.constData(), 0644);
    }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;
    bool effective() const {
        QFile f(QFile::decodeName(m_path));
        return !f.open(QIODevice::Append);
    }

private:
    QByteArray m_path;
    __user_cap_header_struct m_header{};
    std::array<__user_cap_data_struct, 2> m_saved{};
    bool m_dropped = false;
};

TEST_F(LoggerFile, ReadOnlyFileKeepsItsLines) {
    writeFile(path(), "earlier line\r\n");
    ReadOnly guard(path());
    if (!guard.effective())
        GTEST_SKIP() << "this user can write to a read-only file";

    clsLogger logger;
    logger.SetData(QStringLiteral("new"), 0);
    logger.OpenMode(true, path(), 0, false); // would empty it
    logger.OpenMode(false, path(), 0, false);
    EXPECT_EQ(readAll(path()), "earlier line\r\n");
    EXPECT_GE(g_warnings.size(), 2);
}

// Stands in for a full disk: the file may not grow past a limit (EFBIG after a short write).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_previousSignal)(int) = nullptr;
};

TEST_F(LoggerFile, FullDiskKeepsEarlierLinesWhole) {
    clsLogger logger;
    logger.SetData(QStringLiteral("first"), 0);
    logger.OpenMode(true, path(), 0, false);
    {
        // Room for a few bytes only: the long line is cut short and must be taken back.
        const FileSizeLimit limit(static_cast<rlim_t>(readAll(path()).size()) + 4);
        logger.SetData(QStringLiteral("a line too long to fit"), 0);
        logger.OpenMode(false, path(), 0, false);
        EXPECT_EQ(readAll(path()), "first\r\n");
        EXPECT_FALSE(g_warnings.isEmpty());
    }
    // The set that did not fit is still held and goes out with the next write.
    logger.OpenMode(false, path(), 0, false);
    EXPECT_EQ(readAll(path()), "first\r\na line too long to fit\r\n");
}

} // namespace
