// The real program (build/bin/Torvik on the offscreen platform) from its start to each of its
// ends: a first start in an empty program folder, and a continuous measurement against dlcsim
// with data saving on, ended by SIGTERM, by SIGHUP, SIGINT and SIGTERM one after the other, by
// a close request to the main window, by its window destroyed and its display gone (on Xvfb),
// and by SIGKILL, whose records the next start hands over. A driver plugin inside the program
// presses its buttons; the test watches the files, the process and dlcsim's frame log.
#include "Child.h"
#include "MeasureFixture.h"
#include "config/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kDeadlineMs = 30000; // generous: two cores shared by many builds

void ensureApplication() {
    static int argc = 1;
    static char name[] = "program_lifecycle_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        static QCoreApplication app(argc, argv);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whole lines only: a line being written has no line end yet.
QStringList recordsIn(const QString& path) {
    const QString text = QString::fromUtf8(readFile(path));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the last line end: empty, or a line not finished
    return lines;
}

// A program folder: the shipped catalogue, optionally a settings file, and a control registry
// and runtime folder of its own.
class ProgramFolder {
public:
    ProgramFolder() {
        QFile::copy(QStringLiteral(TORVIK_BIN_DIR "/TorvikLabel.ini"), path("TorvikLabel.ini"));
        QDir(m_config.path()).mkpath(QStringLiteral("."));
    }
    QString path(const char* relative = "") const {
        return QDir(m_dir.path()).filePath(QString::fromUtf8(relative));
    }
    QString folder() const { return m_dir.path(); }
    QString config() const { return m_config.path(); }
    QString runtime() const { return m_runtime.path(); }

    // 38400 8E1 on COM<port>, a round every few tens of milliseconds, files DLC_001.csv on,
    // four cells.
    void writeBenchSettings(int port) const {
        QByteArray text = "[SERIALNO]\n1=1001\n2=1002\n3=1003\n4=1004\n"
                          "[SLAVEADDRESS]\n1=1\n2=2\n3=3\n4=4\n"
                          "[SETTINGS]\nBPS300=False\nBaudrate=38400\nDatabit=8\nStopbit=1\n"
                          "Parity=E\nComport=%PORT%\nErrCond1=True\nCommData=10\nCommDataUnit=M\n"
                          "CommSync=10\nFileName=DLC_\nSerialLen=3\nStartNo=1\n"
                          "DirName=%DIR%/Data/\nDataFormat1=True\nDataFormat2=True\nDP=2\n"
                          "DataKind=R\nDataUnit=True\nWaitTime=50\nTimeOut=500\n"
                          "[TAB1]\n1=True\n2=True\n3=True\n4=True\n9=False\n10=False\n"
                          "11=False\n12=False\n";
        text.replace("%DIR%", folder().toUtf8()).replace("%PORT%", QByteArray::number(port));
        QFile f(path("TorvikSetting.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        QDir(folder()).mkdir(QStringLiteral("Data"));
    }

    QStringList dataFiles() const {
        return QDir(path("Data")).entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_config;
    QTemporaryDir m_runtime;
};

// One run of the program in a folder.
class Program {
public:
    // `display`: an X display to run on; the offscreen platform when empty. `installed`: a copy
    // of the program laid out as installed, run without a folder of the user's (no TORVIK_HOME,
    // HOME or XDG_DATA_HOME); build/bin/Torvik in `folder` when empty.
    Program(const ProgramFolder& folder, const QString& script, const QString& portsFolder = {},
            bool traces = false, const QString& display = {}, const QString& installed = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (installed.isEmpty()) {
            env.insert(QStringLiteral("TORVIK_HOME"), folder.folder());
        } else {
            for (const char* name : {"TORVIK_HOME", "HOME", "XDG_DATA_HOME"})
                env.remove(QString::fromLatin1(name));
        }
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.config());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.runtime());
        if (display.isEmpty()) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            env.insert(QStringLiteral("DISPLAY"), display);
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            // On X the platform talks to the session bus, whose library keeps an allocation to
            // the end: not ours to report in a sanitizer build.
            const QString suppressions = folder.path("lsan.supp");
            QFile file(suppressions);
            if (file.open(QIODevice::WriteOnly))
                file.write("leak:libdbus-1.so\n");
            const QString options = env.value(QStringLiteral("LSAN_OPTIONS"));
            env.insert(QStringLiteral("LSAN_OPTIONS"),
                       (options.isEmpty() ? QString() : options + u':') +
                           QStringLiteral("suppressions=") + suppressions);
        }
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(TORVIK_DRIVER_PLUGIN_PATH));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("torvikdriver"));
        env.insert(QStringLiteral("TORVIK_DRIVER"), script);
        if (!portsFolder.isEmpty())
            env.insert(QStringLiteral("TAVRIN_PORTS"), portsFolder);
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        if (traces)
            env.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("torvik.trace.debug=true"));
        m_process.setProcessEnvironment(env);
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process, [this] {
            m_stderr += QString::fromUtf8(m_process.readAllStandardError());
        });
        m_process.start(installed.isEmpty() ? QStringLiteral(TORVIK_BIN_DIR "/Torvik") : installed,
                        {});
    }
    ~Program() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kDeadlineMs);
        }
    }

    bool started() { return m_process.waitForStarted(kDeadlineMs); }
    void signal(int number) { ::kill(static_cast<pid_t>(m_process.processId()), number); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // Handles events until `done` holds after a change in `folder` or its working data file,
    // the program ends, or the deadline passes. True when `done` held.
    bool waitUntil(const ProgramFolder& folder, const std::function<bool()>& done) {
        QFileSystemWatcher watcher({folder.folder()});
        QEventLoop loop;
        auto check = [&] {
            const QString working = folder.path("DataLog.csv");
            if (QFile::exists(working) && !watcher.files().contains(working))
                watcher.addPath(working);
            if (done() || !running())
                loop.quit();
        };
        QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
        QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, check);
        QObject::connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kDeadlineMs, &loop, &QEventLoop::quit);
        check(); // after the watcher exists, so that no change is missed
        if (!done() && running())
            loop.exec();
        return done();
    }

    // Handles events until stderr holds a line matching `pattern` (its first group is given
    // back), the program ends or the deadline passes.
    QString waitForOutput(const QRegularExpression& pattern) {
        QEventLoop loop;
        auto check = [&] {
            if (pattern.match(m_stderr).hasMatch() || !running())
                loop.quit();
        };
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &loop, check,
                         Qt::QueuedConnection);
        QObject::connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kDeadlineMs, &loop, &QEventLoop::quit);
        check();
        if (!pattern.match(m_stderr).hasMatch() && running())
            loop.exec();
        return pattern.match(m_stderr).captured(1);
    }

    // The program's end: true when it ended by itself, with status 0 and no signal.
    bool endedCleanly() {
        if (running() && !m_process.waitForFinished(kDeadlineMs))
            return false;
        m_stderr += QString::fromUtf8(m_process.readAllStandardError());
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    QString exitText() const {
        return QStringLiteral("status %1 (%2)")
            .arg(m_process.exitCode())
            .arg(m_process.exitStatus() == QProcess::NormalExit ? "exited" : "killed");
    }
    const QString& errorOutput() const { return m_stderr; }

private:
    QProcess m_process;
    QString m_stderr;
};

// What a run with traces off may leave on stderr: lines of the environment, none of the
// program's. Any other line is a trace or a fault the program reports.
QStringList unexpectedLines(const QString& errorOutput) {
    static const QRegularExpression harmless(QStringLiteral(
        "^(?:"
        // The offscreen platform, when the screens ask it for what it has no window system for.
        "This plugin does not support propagateSizeHints\\(\\)"
        "|This plugin does not support raise\\(\\)"
        // The driver, answering a message box shown on screen and pressing Start again (a
        // port that was not ready yet).
        "|torvik-driver: message: .*"
        "|torvik-driver: the run ended on a message before its first record: Start again"
        ")$"));
    QStringList unexpected;
    for (const QString& line : errorOutput.split(u'\n', Qt::SkipEmptyParts)) {
        if (!harmless.match(line).hasMatch())
            unexpected << line;
    }
    return unexpected;
}

// Not COM5: the port's name also names the system-wide objects the control shares it
// through, so each test process has a port of its own, as the run tests' bench gives it.
int portNumber() {
    return torvik::screens::testing::MeasureFixture::port();
}

// The bench: dlcsim with its frame log, a folder with the bench settings.
class SavingRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(m_sim.ready()) << m_sim.readyLine();
        m_folder.writeBenchSettings(portNumber());
    }

    QString ports() const {
        const std::string link = m_sim.link();
        return QString::fromStdString(link.substr(0, link.rfind('/')));
    }
    QString working() const { return m_folder.path("DataLog.csv"); }

    // Starts a measurement with saving on and waits until `records` records are in the
    // working file.
    std::unique_ptr<Program> startSaving(const QString& script, int records, bool traces,
                                         const QString& display = {}) {
        auto program = std::make_unique<Program>(m_folder, script, ports(), traces, display);
        EXPECT_TRUE(program->started());
        EXPECT_TRUE(program->waitUntil(m_folder, [&] {
            return recordsIn(working()).size() >= records;
        })) << program->errorOutput().toStdString();
        return program;
    }

    // The frames dlcsim received: their first byte's time on the monotonic clock.
    std::vector<double> receivedAt() const {
        std::vector<double> times;
        for (const QString& line : QString::fromStdString(m_sim.log()).split(u'\n')) {
            const QStringList fields = line.split(u' ');
            if (fields.size() > 2 && fields[2] == QLatin1String("rx"))
                times.push_back(fields[0].toDouble());
        }
        return times;
    }
    // Replies of cell 4 to its polls: one per finished round, each a record.
    int roundsAnswered() const {
        int rounds = 0;
        for (const QString& line : QString::fromStdString(m_sim.log()).split(u'\n'))
            rounds += line.contains(QLatin1String(" tx | 04 04 04 ")) ? 1 : 0;
        return rounds;
    }

    // Everything an orderly end leaves: one data file with every record, the records taken
    // before the end among them, no working file, the settings file written.
    void checkOrderlyEnd(Program& program, const QStringList& before) {
        ASSERT_TRUE(program.endedCleanly()) << program.exitText().toStdString() << "\n"
                                            << program.errorOutput().toStdString();
        EXPECT_FALSE(QFile::exists(working()));
        const QStringList files = m_folder.dataFiles();
        ASSERT_EQ(files, QStringList{QStringLiteral("DLC_001.csv")})
            << files.join(u' ').toStdString();
        const QStringList saved = recordsIn(m_folder.path("Data/DLC_001.csv"));
        ASSERT_GE(saved.size(), before.size());
        EXPECT_EQ(saved.mid(0, before.size()), before);
        // Whole rounds: four values and a time; the end may flush the round under way.
        QSet<QString> stamps;
        for (const QString& record : saved.mid(0, saved.size() - 1)) {
            EXPECT_EQ(record.split(u',').size(), 5) << record.toStdString();
            stamps.insert(record.section(u',', -1));
        }
        EXPECT_EQ(stamps.size(), saved.size() - 1); // no record twice
        // A record per round answered, and the round under way when the run stopped.
        const int rounds = roundsAnswered();
        EXPECT_TRUE(saved.size() == rounds || saved.size() == rounds + 1)
            << saved.size() << " records, " << rounds << " rounds answered";
        const QByteArray settings = readFile(m_folder.path("TorvikSetting.ini"));
        EXPECT_TRUE(settings.contains("[TAB2]\n")) << settings.toStdString(); // written at exit
        EXPECT_TRUE(settings.contains("\nCommData=10\n"));
        EXPECT_TRUE(settings.contains("\nComport=" + QByteArray::number(portNumber()) + "\n"));
    }

    // No frame reached the line after the program released its ports for the end.
    void checkNothingSentAfterRelease(const Program& program) {
        const QRegularExpression released(QStringLiteral("Ports released at ([0-9.]+)"));
        double last = 0;
        for (auto m = released.globalMatch(program.errorOutput()); m.hasNext();)
            last = m.next().captured(1).toDouble();
        ASSERT_GT(last, 0.0) << program.errorOutput().toStdString();
        const std::vector<double> frames = receivedAt();
        ASSERT_FALSE(frames.empty());
        for (const double at : frames)
            EXPECT_LT(at, last + 0.001)
                << "a frame " << (at - last) * 1000 << " ms after the release";
    }

    dlcsim::test::Simulator m_sim{{}, {{}, "COM" + std::to_string(portNumber()), {}}};
    ProgramFolder m_folder;
};

TEST(ProgramStart, FirstStartInAnEmptyFolderWritesTheInitialSettings) {
    ensureApplication();
    ProgramFolder folder;
    Program program(folder, QStringLiteral("close"));
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.endedCleanly()) << program.exitText().toStdString() << "\n"
                                        << program.errorOutput().toStdString();
    EXPECT_TRUE(QFileInfo(folder.path("Data")).isDir());
    const QString settings = QString::fromUtf8(readFile(folder.path("TorvikSetting.ini")));
    for (const QString& line :
         {QStringLiteral("1=0"), QStringLiteral("BPS300=False"), QStringLiteral("Baudrate=38400"),
          QStringLiteral("Comport=1"), QStringLiteral("ErrCond1=True"),
          QStringLiteral("CommData=100"), QStringLiteral("CommDataUnit=M"),
          QStringLiteral("CommSync=50"), QStringLiteral("FileName=DLC_"),
          QStringLiteral("SerialLen=4"), QStringLiteral("StartNo=1"),
          QStringLiteral("DirName=") + folder.folder() + QStringLiteral("/Data/"),
          QStringLiteral("DataFormat1=True"), QStringLiteral("DataFormat2=True"),
          QStringLiteral("DP=2"), QStringLiteral("DataKind=R"), QStringLiteral("DataUnit=True"),
          QStringLiteral("WaitTime=100"), QStringLiteral("TimeOut=500")})
        EXPECT_TRUE(settings.split(u'\n').contains(line)) << line.toStdString() << " in\n"
                                                          << settings.toStdString();
}

// An installed program with no folder of the user's to work in says so on screen and waits
// for the operator. An end request meanwhile (log-out, a closed terminal, Ctrl+C) closes the
// message and ends the program as asked.
class FolderMessage : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    // build/bin/Torvik in bin/ of an install whose shipped catalogue is where the program
    // looks for it; empty when it cannot be laid out.
    QString layOut() {
        const QString bin = m_install.filePath(QStringLiteral("bin"));
        const QString shipped = torvik::config::shippedFolder(bin);
        if (!QDir().mkpath(bin) || !QDir().mkpath(shipped) ||
            !QFile::copy(QStringLiteral(TORVIK_BIN_DIR "/TorvikLabel.ini"),
                         shipped + QStringLiteral("/TorvikLabel.ini")))
            return {};
        const QString executable = bin + QStringLiteral("/Torvik");
        // Linked where it can be: the program is large, and it finds its folder by its own path.
        if (::link(TORVIK_BIN_DIR "/Torvik", executable.toLocal8Bit().constData()) != 0 &&
            !QFile::copy(QStringLiteral(TORVIK_BIN_DIR "/Torvik"), executable))
            return {};
        return executable;
    }

    QTemporaryDir m_install;
    ProgramFolder m_folder; // its registry and runtime folder
};

TEST_P(FolderMessage, EndRequestDuringTheMessageEndsIt) {
    const QString executable = layOut();
    ASSERT_FALSE(executable.isEmpty());
    Program program(m_folder, QStringLiteral("keep-messages"), {}, false, {}, executable);
    ASSERT_TRUE(program.started());
    const QString message = program.waitForOutput(
        QRegularExpression(QStringLiteral("torvik-driver: message: ([^\\n]+)")));
    ASSERT_FALSE(message.isEmpty()) << program.errorOutput().toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("TORVIK_HOME"))) << message.toStdString();
    program.signal(GetParam());
    EXPECT_TRUE(program.endedCleanly()) << program.exitText().toStdString() << "\n"
                                        << program.errorOutput().toStdString();
}

std::string signalName(const ::testing::TestParamInfo<int>& signal) {
    return signal.param == SIGTERM ? "SIGTERM" : signal.param == SIGHUP ? "SIGHUP" : "SIGINT";
}

INSTANTIATE_TEST_SUITE_P(Signals, FolderMessage, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         signalName);

TEST_F(SavingRun, SigtermEndsItInOrder) {
    auto program = startSaving(QStringLiteral("measure"), 5, true);
    const QStringList before = recordsIn(working());
    program->signal(SIGTERM);
    checkOrderlyEnd(*program, before);
    checkNothingSentAfterRelease(*program);
}

// A terminal that goes away (SIGHUP), Ctrl+C in it (SIGINT), and the system's SIGTERM while
// the end is under way: one end, one hand-over.
TEST_F(SavingRun, RepeatedSignalsEndItInOrderOnce) {
    auto program = startSaving(QStringLiteral("measure"), 5, true);
    const QStringList before = recordsIn(working());
    for (const int signal : {SIGHUP, SIGINT, SIGHUP, SIGTERM})
        program->signal(signal);
    checkOrderlyEnd(*program, before);
    checkNothingSentAfterRelease(*program);
}

// The main window's close box during the run.
TEST_F(SavingRun, CloseRequestEndsItInOrder) {
    auto program = std::make_unique<Program>(m_folder, QStringLiteral("measure,close-after=24"),
                                             ports(), true);
    ASSERT_TRUE(program->started());
    checkOrderlyEnd(*program, {});
    EXPECT_GE(recordsIn(m_folder.path("Data/DLC_001.csv")).size(), 5);
    checkNothingSentAfterRelease(*program);
}

// Killed during the run: its records stay in the working file, and the next start hands them
// over before anything else. By default it leaves nothing on stderr but the environment's lines.
TEST_F(SavingRun, KilledRunIsHandedOverByTheNextStart) {
    auto program = startSaving(QStringLiteral("measure"), 5, false);
    program->signal(SIGKILL);
    EXPECT_FALSE(program->endedCleanly()); // and all it wrote to stderr is in
    const QStringList unexpected = unexpectedLines(program->errorOutput());
    EXPECT_TRUE(unexpected.isEmpty()) << unexpected.join(u'\n').toStdString();
    const QByteArray left = readFile(working());
    ASSERT_FALSE(left.isEmpty());

    Program next(m_folder, QStringLiteral("close"), ports());
    ASSERT_TRUE(next.started());
    ASSERT_TRUE(next.endedCleanly()) << next.exitText().toStdString() << "\n"
                                     << next.errorOutput().toStdString();
    EXPECT_FALSE(QFile::exists(working()));
    ASSERT_EQ(m_folder.dataFiles(), QStringList{QStringLiteral("DLC_001.csv")});
    EXPECT_EQ(readFile(m_folder.path("Data/DLC_001.csv")), left);
}

// A display of its own: Xvfb on the first free display number.
class VirtualDisplay {
public:
    VirtualDisplay() {
        m_server.setProgram(QStringLiteral("Xvfb"));
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                               QStringLiteral("-screen"), QStringLiteral("0"),
                               QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")});
        m_server.start();
        if (!m_server.waitForStarted(kDeadlineMs))
            return;
        // The number is written once the server takes connections.
        while (!m_server.canReadLine() && m_server.waitForReadyRead(kDeadlineMs)) {
        }
        const QByteArray line = m_server.readLine().trimmed();
        if (!line.isEmpty())
            m_name = QStringLiteral(":") + QString::fromLatin1(line);
    }
    ~VirtualDisplay() { stop(); }
    const QString& name() const { return m_name; } // empty when there is none
    void stop() {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.kill();
        m_server.waitForFinished(kDeadlineMs);
    }

private:
    QProcess m_server;
    QString m_name;
};

// The same measurement on a real X display, which goes away under the program: its window
// destroyed from outside, and the whole display server ended.
class DisplayRun : public SavingRun {
protected:
    void SetUp() override {
        SavingRun::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "needs Xvfb and xdotool";
        m_display = std::make_unique<VirtualDisplay>();
        ASSERT_FALSE(m_display->name().isEmpty());
    }

    std::unique_ptr<VirtualDisplay> m_display;
};

TEST_F(DisplayRun, DestroyedWindowEndsItInOrder) {
    auto program =
        startSaving(QStringLiteral("measure,window-after=4"), 5, true, m_display->name());
    const QStringList before = recordsIn(working());
    const QString window =
        program->waitForOutput(QRegularExpression(QStringLiteral("torvik-driver: window (\\d+)")));
    ASSERT_FALSE(window.isEmpty()) << program->errorOutput().toStdString();
    QProcess xdotool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display->name());
    xdotool.setProcessEnvironment(env);
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("windowclose"), window});
    ASSERT_TRUE(xdotool.waitForFinished(kDeadlineMs));
    checkOrderlyEnd(*program, before);
    checkNothingSentAfterRelease(*program);
}

// The platform ends the process when its display connection breaks; the records and the
// settings are saved all the same, and the exit status says it ended in order. (The ports go
// with the process here: it is ending under the program.)
TEST_F(DisplayRun, LostDisplayEndsItInOrder) {
    auto program = startSaving(QStringLiteral("measure"), 5, true, m_display->name());
    const QStringList before = recordsIn(working());
    m_display->stop();
    checkOrderlyEnd(*program, before);
}

} // namespace
