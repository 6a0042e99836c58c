// Start-up: the program variant switches, and the single-instance rule with two real copies of
// the program sharing a program folder.
#include "startup/Main.h"
#include "startup/SingleInstance.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace torvik::mdlFileMgr;

namespace {

TEST(Startup, ProgramVariantFromTheWholeCommandLine) {
    const struct {
        const char16_t* commandLine;
        std::int16_t variant;
        std::int16_t maxDlcIndex;
    } cases[] = {
        {u"-ORB", 2, 7},  {u"  -ORB  ", 2, 7},   {u"-orb", 0, 3},
        {u"-VELM", 1, 3}, {u" -VELM", 1, 3},     {u"-velm", 0, 3},
        {u"", 0, 3},      {u"-ORB -VELM", 0, 3}, {u"-ORB\t", 0, 3}, // only spaces are trimmed
        {u"ORB", 0, 3},
    };
    for (const auto& c : cases) {
        const ProgramVariantChoice choice = programVariantFor(c.commandLine);
        EXPECT_EQ(choice.ProgramVariant, c.variant)
            << QString::fromUtf16(c.commandLine).toStdString();
        EXPECT_EQ(choice.MaxDlcIndex, c.maxDlcIndex)
            << QString::fromUtf16(c.commandLine).toStdString();
    }
    const char* argv[] = {"Torvik", "-ORB", "-VELM"};
    EXPECT_EQ(commandLineText(3, argv), "-ORB -VELM");
    EXPECT_EQ(commandLineText(1, argv), "");
}

// Two copies of the program in one temporary program folder. Each waits for what it expects
// with a deadline: the first copy deleting the working data file shows it has claimed the
// folder (it claims the folder before it touches any file).
class TwoCopies : public ::testing::Test {
protected:
    static constexpr int kDeadlineMs = 20000;

    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "startup_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            static QCoreApplication app(argc, argv);
    }

    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    void TearDown() override {
        for (QProcess* p : {&m_first, &m_second}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(kDeadlineMs);
            }
        }
    }

    QString dataLog() const { return m_dir.filePath("DataLog.csv"); }

    void writeDataLog(const QByteArray& bytes) const {
        QFile f(dataLog());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray readDataLog() const {
        QFile f(dataLog());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }

    void start(QProcess& copy) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TORVIK_HOME", m_dir.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        copy.setProcessEnvironment(env);
        copy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        copy.start(TORVIK_EXECUTABLE, {});
        ASSERT_TRUE(copy.waitForStarted(kDeadlineMs));
    }

    bool waitForDataLogGone() const {
        const QString path = dataLog();
        QFileSystemWatcher watcher({m_dir.path()});
        QEventLoop loop;
        QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] {
            if (!QFile::exists(path))
                loop.quit();
        });
        QTimer::singleShot(kDeadlineMs, &loop, &QEventLoop::quit);
        if (QFile::exists(path)) // checked after the watcher exists, so no change is missed
            loop.exec();
        return !QFile::exists(path);
    }

    // The first copy is up and holds the folder.
    void startFirst() {
        writeDataLog("previous run\n");
        start(m_first);
        ASSERT_TRUE(waitForDataLogGone());
    }

    QTemporaryDir m_dir;
    QProcess m_first;
    QProcess m_second;
};

TEST_F(TwoCopies, SecondCopyEndsAtOnceAndTheFirstKeepsItsWorkingDataFile) {
    startFirst();
    writeDataLog("first copy's measurements\n");
    start(m_second);
    ASSERT_TRUE(m_second.waitForFinished(kDeadlineMs));
    EXPECT_EQ(m_second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_second.exitCode(), 0);
    EXPECT_EQ(m_first.state(), QProcess::Running);
    EXPECT_EQ(readDataLog(), "first copy's measurements\n");
}

TEST_F(TwoCopies, CopyThatNoLongerAnswersIsEndedAndTheNewOneStarts) {
    startFirst();
    // The first copy keeps its lock but loses its socket: it is there but does not answer.
    ASSERT_TRUE(
        QLocalServer::removeServer(torvik::startup::SingleInstance::socketName(m_dir.path())));
    writeDataLog("left by the stuck copy\n");
    start(m_second);
    ASSERT_TRUE(m_first.waitForFinished(kDeadlineMs));
    EXPECT_EQ(m_first.exitStatus(), QProcess::CrashExit); // killed
    EXPECT_TRUE(waitForDataLogGone());                    // the new copy started normally
    EXPECT_EQ(m_second.state(), QProcess::Running);
}

} // namespace
