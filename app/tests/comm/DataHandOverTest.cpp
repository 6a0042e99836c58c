#include "comm/DataHandOver.h"

#include "TestSupport.h"
#include "config/Logger.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace torvik;
using namespace torvik::comm;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A program folder with its working file and a data folder, and a screen that records what
// the hand-over asked of it.
class HandOver : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("Data")));
        resetScreen();
    }

    void resetScreen() {
        m_naming = {m_root.filePath(QStringLiteral("Data")) + u'/', QStringLiteral("DLC_"), 3, 1};
        m_calls.clear();
        m_overwrite = true;
        m_chosen.clear();
        m_steps.flushPendingRecord = [this] { m_calls << QStringLiteral("flush"); };
        m_steps.closeWorkingFile = [this] { m_calls << QStringLiteral("close"); };
        m_steps.confirmOverwrite = [this](const QString& path) {
            m_calls << "ask " + QFileInfo(path).fileName();
            return m_overwrite;
        };
        m_steps.chooseSavePath = [this](const QString& folder, const QString& proposed) {
            m_calls << "dialog " + proposed;
            EXPECT_EQ(folder, m_naming.DirName);
            return m_chosen;
        };
    }

    QString working() const { return m_root.filePath(QStringLiteral("DataLog.csv")); }
    QString data(const char* name) const { return m_naming.DirName + QString::fromLatin1(name); }

    // The numbering has reached its ceiling, so the next name is DLC_001.csv, which exists.
    void makeNextNameExist() {
        writeFile(data("DLC_001.csv"), "earlier records");
        writeFile(data("DLC_999.csv"), "");
    }

    HandOverResult saveLog() { return SaveLog(working(), m_naming, m_firstRecord, m_steps); }

    QTemporaryDir m_root;
    mdlFileMgr::DataFileNaming m_naming;
    HandOverSteps m_steps;
    QStringList m_calls;
    bool m_overwrite = true;
    QString m_chosen;
    bool m_firstRecord = false;
    const QByteArray m_records = "1.00,2024/05/01_13:07:09.042\r\n2.00,2024/05/01_13:07:10.042\r\n";
};

TEST_F(HandOver, CopiesToTheNextNumberedNameAndStartsANewWorkingFile) {
    writeFile(working(), m_records);
    writeFile(data("DLC_001.csv"), "old");
    writeFile(data("DLC_002.csv"), "old");

    const HandOverResult r = saveLog();
    EXPECT_EQ(r.status, HandOverStatus::Saved);
    EXPECT_EQ(r.savedPath, data("DLC_003.csv"));
    EXPECT_EQ(readAll(data("DLC_003.csv")), m_records);
    EXPECT_FALSE(QFile::exists(working()));
    EXPECT_TRUE(m_firstRecord);
    EXPECT_FALSE(r.askedOperator);
    EXPECT_EQ(m_calls, (QStringList{"flush", "close"}));
    // No temporary copy is left behind.
    EXPECT_EQ(QDir(m_naming.DirName).entryList(QDir::Files).size(), 3);
}

TEST_F(HandOver, TheFlushedRecordIsPartOfTheCopy) {
    m_steps.flushPendingRecord = [this] { writeFile(working(), m_records); };
    EXPECT_EQ(saveLog().status, HandOverStatus::Saved);
    EXPECT_EQ(readAll(data("DLC_001.csv")), m_records);
}

TEST_F(HandOver, WithNoWorkingFileOnlyTheFlushRuns) {
    const HandOverResult r = saveLog();
    EXPECT_EQ(r.status, HandOverStatus::NoWorkingFile);
    EXPECT_EQ(m_calls, QStringList{"flush"});
    EXPECT_TRUE(QDir(m_naming.DirName).isEmpty());
    EXPECT_FALSE(m_firstRecord);
}

class HandOverOntoAnExistingName : public HandOver {
protected:
    void SetUp() override {
        HandOver::SetUp();
        writeFile(working(), m_records);
        makeNextNameExist();
    }
};

TEST_F(HandOverOntoAnExistingName, YesOverwrites) {
    m_overwrite = true;
    const HandOverResult r = saveLog();
    EXPECT_EQ(r.status, HandOverStatus::Saved);
    EXPECT_TRUE(r.askedOperator);
    EXPECT_EQ(m_calls, (QStringList{"flush", "close", "ask DLC_001.csv"}));
    EXPECT_EQ(readAll(data("DLC_001.csv")), m_records);
    EXPECT_FALSE(QFile::exists(working()));
}

TEST_F(HandOverOntoAnExistingName, NoSavesUnderTheChosenName) {
    m_overwrite = false;
    for (const QString& chosen : {QStringLiteral("mine.csv"), m_naming.DirName + "full.csv"}) {
        writeFile(working(), m_records);
        m_calls.clear();
        m_chosen = chosen;
        const HandOverResult r = saveLog();
        EXPECT_EQ(r.status, HandOverStatus::Saved) << chosen.toStdString();
        EXPECT_EQ(r.savedPath, QDir(m_naming.DirName).absoluteFilePath(chosen));
        EXPECT_EQ(m_calls,
                  (QStringList{"flush", "close", "ask DLC_001.csv", "dialog DLC_001.csv"}));
        EXPECT_EQ(readAll(r.savedPath), m_records);
        EXPECT_EQ(readAll(data("DLC_001.csv")), "earlier records");
        EXPECT_FALSE(QFile::exists(working()));
    }
}

TEST_F(HandOverOntoAnExistingName, ACancelledDialogKeepsTheWorkingFile) {
    test::MessageCapture warnings(QtWarningMsg);
    m_overwrite = false;
    m_chosen.clear();
    const HandOverResult r = saveLog();
    EXPECT_EQ(r.status, HandOverStatus::Cancelled);
    EXPECT_TRUE(r.workingFileKept());
    EXPECT_TRUE(r.askedOperator);
    EXPECT_EQ(readAll(working()), m_records);
    EXPECT_EQ(readAll(data("DLC_001.csv")), "earlier records");
    EXPECT_FALSE(m_firstRecord);
    EXPECT_EQ(warnings.messages().size(), 1);
}

TEST_F(HandOverOntoAnExistingName, KeptRecordsAreHandedOverWithTheLaterOnes) {
    // The cancel leaves the flag clear, so the logger appends the next record to the kept
    // file, and the next hand-over saves both.
    m_overwrite = false;
    ASSERT_EQ(saveLog().status, HandOverStatus::Cancelled);

    clsLogger logger;
    logger.SetMax(0);
    logger.SetData(QStringLiteral("3.00"), 0);
    logger.OpenMode(m_firstRecord, working(), 0, false);
    logger.OpenMode(false, QString(), 0, true);

    m_overwrite = true;
    ASSERT_EQ(saveLog().status, HandOverStatus::Saved);
    EXPECT_EQ(readAll(data("DLC_001.csv")), m_records + "3.00\r\n");
}

TEST_F(HandOver, FailuresKeepTheWorkingFileAndAreReported) {
    test::MessageCapture warnings(QtWarningMsg);
    struct Case {
        const char* what;
        std::function<void()> arrange;
        HandOverStatus expected;
    };
    const Case cases[] = {
        {"missing data folder",
         [this] { m_naming.DirName = m_root.filePath(QStringLiteral("gone")); },
         HandOverStatus::MissingDataFolder},
        {"no numbered name", [this] { m_naming.SerialLen = 0; }, HandOverStatus::NoSaveName},
        {"target is a folder",
         [this] {
             makeNextNameExist();
             QDir(m_naming.DirName).mkdir(QStringLiteral("taken.csv"));
             m_overwrite = false;
             m_chosen = QStringLiteral("taken.csv");
         },
         HandOverStatus::CopyFailed},
        {"target is the working file",
         [this] {
             makeNextNameExist();
             m_overwrite = false;
             m_chosen = working();
         },
         HandOverStatus::CopyFailed},
    };
    for (const auto& c : cases) {
        resetScreen();
        writeFile(working(), m_records);
        m_firstRecord = true;
        c.arrange();
        const qsizetype before = warnings.messages().size();
        const HandOverResult r = saveLog();
        EXPECT_EQ(r.status, c.expected) << c.what;
        EXPECT_FALSE(r.detail.isEmpty()) << c.what;
        EXPECT_EQ(readAll(working()), m_records) << c.what;
        EXPECT_FALSE(m_firstRecord) << c.what;
        EXPECT_EQ(warnings.messages().size(), before + 1) << c.what;
    }
}

} // namespace
