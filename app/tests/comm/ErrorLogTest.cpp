#include "comm/ErrorLog.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace torvik::comm;

namespace {

const QDateTime kStart(QDate(2024, 5, 1), QTime(13, 7, 9));
const QString kHeader = QStringLiteral("Torvik error log\r\n") + QString(35, u'-') + "\r\n";

QStringList bodyLines(const ErrorLogRing& ring) {
    QString body = ring.text();
    EXPECT_TRUE(body.startsWith(kHeader));
    body.remove(0, kHeader.size());
    QStringList lines = body.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.takeLast(), ""); // every line ends in CR LF
    return lines;
}

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<none>");
}

TEST(ErrorLogRing, ANoReplyOfDlc2) {
    ErrorLogRing ring;
    ASSERT_TRUE(ring.add(256, 2, kStart, true));
    EXPECT_EQ(ring.text(), kHeader + "h100\t2\t2024/05/01 13:07:09\t\r\n");
}

TEST(ErrorLogRing, OnlyFailuresAreRecordedAndOnlyWithErrCond1) {
    ErrorLogRing ring;
    EXPECT_FALSE(ring.add(0, 1, kStart, true));    // success
    EXPECT_FALSE(ring.add(1280, 1, kStart, true)); // the port could not be opened
    EXPECT_FALSE(ring.add(256, 1, kStart, false)); // ErrCond1 off
    EXPECT_EQ(ring.writePosition(), 0);
    EXPECT_TRUE(ring.entry(0).code.isEmpty());

    // Exception replies are 1 to 255, the control's own codes multiples of 256; a code read
    // as negative shows its 16-bit pattern.
    EXPECT_TRUE(ring.add(2, 1, kStart, true));
    EXPECT_TRUE(ring.add(0x0B00, 3, kStart, true));
    EXPECT_TRUE(ring.add(-1, 4, kStart, true));
    EXPECT_EQ(bodyLines(ring),
              (QStringList{"h2\t1\t2024/05/01 13:07:09\t", "hB00\t3\t2024/05/01 13:07:09\t",
                           "hFFFF\t4\t2024/05/01 13:07:09\t"}));
}

// Failure n (1-based) is DLC n mod 4 + 1 at n seconds past the start, so each line tells which
// failure it is.
ErrorLogRing ringWith(int failures) {
    ErrorLogRing ring;
    for (int n = 1; n <= failures; ++n)
        ring.add(256, n % 4 + 1, kStart.addSecs(n), true);
    return ring;
}

QString lineOf(int n, bool finalTab) {
    return "h100\t" + QString::number(n % 4 + 1) + u'\t' +
           kStart.addSecs(n).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
           (finalTab ? QStringLiteral("\t") : QString());
}

TEST(ErrorLogRing, KeepsTheLast100OldestFirst) {
    const struct {
        int failures;
        int first;       // the oldest failure in the log
        int lastWithTab; // lines up to this failure end in a tab, later ones do not
    } cases[] = {
        {99, 1, 99},   // not full
        {100, 1, 100}, // full, writing at entry 0 again, nothing wrapped yet
        {101, 2, 100}, // failure 101 replaced failure 1 in entry 0
        {250, 151, 200},
    };
    for (const auto& c : cases) {
        QStringList expected;
        for (int n = c.first; n <= c.failures; ++n)
            expected << lineOf(n, n <= c.lastWithTab);
        EXPECT_EQ(bodyLines(ringWith(c.failures)), expected) << c.failures;
    }
}

TEST(ErrorLogRing, ARunStartEmptiesTheRing) {
    ErrorLogRing ring = ringWith(150);
    ring.clear();
    EXPECT_EQ(ring.writePosition(), 0);
    EXPECT_EQ(ring.text(), kHeader);
    ring.add(256, 2, kStart, true);
    EXPECT_EQ(bodyLines(ring), QStringList{"h100\t2\t2024/05/01 13:07:09\t"});
}

class ErrorLogFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path() const { return errorLogPath(m_dir.path()); }
    QTemporaryDir m_dir;
};

TEST_F(ErrorLogFile, IsWrittenOnlyWhenSomethingFailedAndErrCond1IsOn) {
    ErrorLogRing ring;
    EXPECT_TRUE(ring.WriteLog(path(), true));
    EXPECT_FALSE(QFile::exists(path()));

    ring.add(256, 2, kStart, true);
    EXPECT_TRUE(ring.WriteLog(path(), false));
    EXPECT_FALSE(QFile::exists(path()));

    EXPECT_TRUE(ring.WriteLog(path(), true));
    EXPECT_EQ(readAll(path()), ring.text());
}

TEST_F(ErrorLogFile, ReplacesTheWholeEarlierLog) {
    const ErrorLogRing many = ringWith(150);
    ASSERT_TRUE(many.PutErrorLog(path()));
    ErrorLogRing one;
    one.add(256, 2, kStart, true);
    ASSERT_TRUE(one.PutErrorLog(path()));
    EXPECT_EQ(readAll(path()), one.text());
    // Nothing is left beside it under a temporary name.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"error_log.txt"});
}

TEST_F(ErrorLogFile, AMissingDataFolderIsReportedNotFatal) {
    test::MessageCapture warnings(QtWarningMsg);
    const ErrorLogRing ring = ringWith(3);
    const QString missing = errorLogPath(m_dir.filePath(QStringLiteral("gone")));
    EXPECT_FALSE(ring.WriteLog(missing, true));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(warnings.messages().size(), 1);
}

TEST(ErrorLogPath, JoinsTheDataFolderWithOneSlash) {
    EXPECT_EQ(errorLogPath(QStringLiteral("/data/dlc/")), "/data/dlc/error_log.txt");
    EXPECT_EQ(errorLogPath(QStringLiteral(" /data/dlc ")), "/data/dlc/error_log.txt");
}

} // namespace
