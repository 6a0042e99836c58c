// The Debian package as a user gets it: the files it lists, the dependencies it declares, and,
// unpacked into a scratch root, a Torvik that starts in a fresh per-user folder seeded from the
// installed catalogue and help and measures through the installed control library, and a
// Python module that finds the installed library.
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kDeadlineMs = 60000;

struct Finished {
    int exitCode = -1;
    QByteArray output;
};

Finished run(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(kDeadlineMs)) {
        p.kill();
        p.waitForFinished();
        return {-1, p.readAll()};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAll()};
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll()
                                       : QByteArray("(missing " + path.toUtf8() + ")");
}

// Waits, up to the deadline, until `path` exists, watching the deepest folder on its way that
// exists so far.
bool waitForFile(const QString& path) {
    QFileSystemWatcher watcher;
    QEventLoop loop;
    auto look = [&] {
        for (QString dir = QFileInfo(path).absolutePath();; dir = QFileInfo(dir).absolutePath()) {
            if (QFileInfo(dir).isDir()) {
                if (!watcher.directories().contains(dir))
                    watcher.addPath(dir);
                break;
            }
        }
        if (QFileInfo::exists(path))
            loop.quit();
    };
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, look);
    QTimer::singleShot(kDeadlineMs, &loop, &QEventLoop::quit);
    look(); // after the watch is set, so no change is missed
    if (!QFileInfo::exists(path))
        loop.exec();
    return QFileInfo::exists(path);
}

// Waits until the process's output holds `text` or the process ends.
bool waitForOutput(QProcess& p, const QByteArray& text, QByteArray& seen) {
    QEventLoop loop;
    auto take = [&] {
        seen += p.readAllStandardOutput();
        if (seen.contains(text))
            loop.quit();
    };
    QObject::connect(&p, &QProcess::readyReadStandardOutput, &loop, take);
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kDeadlineMs, &loop, &QEventLoop::quit);
    take();
    if (!seen.contains(text) && p.state() != QProcess::NotRunning)
        loop.exec();
    seen += p.readAllStandardOutput() + p.readAllStandardError();
    return seen.contains(text);
}

// Waits until the process's error output holds `text` or the process ends.
bool waitForError(QProcess& p, const QByteArray& text, QByteArray& seen) {
    QEventLoop loop;
    auto take = [&] {
        seen += p.readAllStandardError();
        if (seen.contains(text))
            loop.quit();
    };
    QObject::connect(&p, &QProcess::readyReadStandardError, &loop, take);
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kDeadlineMs, &loop, &QEventLoop::quit);
    take();
    if (!seen.contains(text) && p.state() != QProcess::NotRunning)
        loop.exec();
    seen += p.readAllStandardError();
    return seen.contains(text);
}

QString packagePath() {
    const QDir dir(QStringLiteral(TORVIK_PACKAGE_DIR));
    const QStringList debs =
        dir.entryList({QStringLiteral("torvik_*.deb")}, QDir::Files, QDir::Time);
    return debs.isEmpty() ? QString() : dir.filePath(debs.first());
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "package_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            static QCoreApplication app(argc, argv);
    }

    void SetUp() override {
        m_deb = packagePath();
        ASSERT_FALSE(m_deb.isEmpty()) << "no package in " TORVIK_PACKAGE_DIR;
    }

    QString m_deb;
};

TEST_F(Package, ListsTheProgramsTheLibraryAndWhatTheyShip) {
    const Finished contents =
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), m_deb});
    ASSERT_EQ(contents.exitCode, 0) << contents.output.toStdString();
    // "./usr/bin/Torvik" and "./usr/lib/libtavrin.so.0 -> libtavrin.so.0.1", last on each line.
    QStringList listed;
    for (const QByteArray& line : contents.output.split('\n')) {
        const qsizetype at = line.indexOf(" ./");
        if (at >= 0)
            listed << QString::fromUtf8(line.mid(at + 3));
    }
    QFile expected(QStringLiteral(TORVIK_PACKAGE_EXPECTED));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    int checked = 0;
    for (const QByteArray& raw : expected.readAll().split('\n')) {
        const QString entry = QString::fromUtf8(raw.trimmed());
        if (entry.isEmpty())
            continue;
        ++checked;
        // "*text": some file whose path holds the text (where another part of the build
        // chooses the folder).
        const bool found = entry.startsWith(u'*') ? !listed.filter(entry.mid(1)).isEmpty()
                                                  : listed.contains(entry);
        EXPECT_TRUE(found) << entry.toStdString() << " not in\n" << contents.output.toStdString();
    }
    EXPECT_GT(checked, 10);
    // Nothing of the build or the tests comes along.
    EXPECT_TRUE(listed.filter(QStringLiteral("_test")).isEmpty());
    EXPECT_TRUE(listed.filter(QStringLiteral("__pycache__")).isEmpty());
}

TEST_F(Package, DeclaresTheLibrariesItNeedsAndWhatItLoadsAtRunTime) {
    const Finished depends = run(QStringLiteral("dpkg-deb"),
                                 {QStringLiteral("--field"), m_deb, QStringLiteral("Depends")});
    ASSERT_EQ(depends.exitCode, 0) << depends.output.toStdString();
    for (const char* package :
         {"libqt6widgets6", "libc6", "libstdc++6", "qt6-qpa-plugins", "python3"})
        EXPECT_TRUE(depends.output.contains(package))
            << package << " in " << depends.output.toStdString();
    const Finished shlibs =
        run(QStringLiteral("sh"),
            {QStringLiteral("-c"),
             QStringLiteral("dpkg-deb --ctrl-tarfile '%1' | tar -xOf - ./shlibs").arg(m_deb)});
    // One line per shipped library (libplinth's too, once it is built).
    const QRegularExpression tavrinLine(QStringLiteral("^libtavrin 0 torvik"),
                                        QRegularExpression::MultilineOption);
    EXPECT_TRUE(QString::fromUtf8(shlibs.output).contains(tavrinLine))
        << shlibs.output.toStdString();
}

// The package unpacked into a scratch root, and a user whose home has no program folder yet.
// Both paths hold non-ASCII names, as a user's may.
class Unpacked : public Package {
protected:
    void SetUp() override {
        Package::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.filePath(QStringLiteral("ルート"));
        m_home = m_dir.filePath(QStringLiteral("ホーム"));
        QDir().mkpath(m_home + QStringLiteral("/.local/share"));
        const Finished unpack =
            run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
        ASSERT_EQ(unpack.exitCode, 0) << unpack.output.toStdString();
    }

    void TearDown() override {
        for (QProcess* p : {&m_first, &m_second}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(kDeadlineMs);
            }
        }
    }

    QProcessEnvironment userEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"TORVIK_HOME", "XDG_DATA_HOME", "TAVRIN_LIBRARY", "PYTHONPATH"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), m_home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("TAVRIN_PORTS"), m_dir.filePath(QStringLiteral("ports")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    void start(QProcess& torvik, const QProcessEnvironment& env) const {
        torvik.setProcessEnvironment(env);
        torvik.start(m_root + QStringLiteral("/usr/bin/Torvik"), {});
        ASSERT_TRUE(torvik.waitForStarted(kDeadlineMs));
    }

    QString userFolder() const { return m_home + QStringLiteral("/.local/share/torvik"); }

    QTemporaryDir m_dir;
    QString m_root;
    QString m_home;
    QProcess m_first;
    QProcess m_second;
};

TEST_F(Unpacked, TorvikStartsInAFreshUserFolderSeededFromTheInstalledCatalogue) {
    start(m_first, userEnvironment());
    // The lock is taken once the folder is seeded.
    ASSERT_TRUE(waitForFile(userFolder() + QStringLiteral("/Torvik.lock")))
        << m_first.readAllStandardError().toStdString();
    const QString shipped = m_root + QStringLiteral("/usr/share/torvik");
    for (const char* name :
         {"TorvikLabel.ini", "Torvik.html", "en/TorvikLabel.ini", "en/Torvik.html"})
        EXPECT_EQ(read(userFolder() + '/' + name), read(shipped + '/' + name)) << name;

    // A second start finds the first in the same folder and ends at once, touching nothing.
    start(m_second, userEnvironment());
    ASSERT_TRUE(m_second.waitForFinished(kDeadlineMs));
    EXPECT_EQ(m_second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_second.exitCode(), 0);
    EXPECT_EQ(m_first.state(), QProcess::Running);

    // Ended from outside: in order, its settings written to the user's folder at the end.
    ::kill(static_cast<pid_t>(m_first.processId()), SIGTERM);
    ASSERT_TRUE(m_first.waitForFinished(kDeadlineMs));
    EXPECT_EQ(m_first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_first.exitCode(), 0) << m_first.readAllStandardError().toStdString();
    EXPECT_TRUE(read(userFolder() + QStringLiteral("/TorvikSetting.ini")).contains("[TAB2]\n"))
        << read(userFolder() + QStringLiteral("/TorvikSetting.ini")).toStdString();
    // The installed tree is left as the package made it.
    EXPECT_TRUE(QDir(m_root + QStringLiteral("/usr/bin"))
                    .entryList({QStringLiteral("Torvik*.*"), QStringLiteral("*.ini")})
                    .isEmpty());
    EXPECT_FALSE(QFileInfo::exists(shipped + QStringLiteral("/TorvikSetting.ini")));
}

// The port's name also names the system-wide objects the control shares it through, so the
// test claims a number no other test process holds (the run tests' claims: COM100 to COM255).
class PortClaim {
public:
    PortClaim() {
        for (int n = 100; n <= 255; ++n) {
            const std::string path = "/tmp/torvik-run-test-COM" + std::to_string(n) + ".lock";
            m_fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0666);
            if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                m_number = n;
                return;
            }
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = -1;
        }
    }
    ~PortClaim() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;

    int number() const { return m_number; } // 0: none free

private:
    int m_number = 0;
    int m_fd = -1;
};

// The installed program measures the installed simulator's bus through the installed control
// library, found from the program's own folder: the driver plugin of the program tests goes to
// the main screen, starts a saving run and closes the window after a few replies.
TEST_F(Unpacked, TorvikMeasuresThroughTheInstalledControlLibrary) {
    const PortClaim port;
    ASSERT_NE(port.number(), 0) << "no free port number";
    const QString portName = QStringLiteral("COM%1").arg(port.number());
    const QProcessEnvironment env = userEnvironment();
    QDir().mkpath(env.value(QStringLiteral("TAVRIN_PORTS")));

    QProcess bus;
    bus.setProcessEnvironment(env);
    bus.setProcessChannelMode(QProcess::MergedChannels);
    bus.start(m_root + QStringLiteral("/usr/bin/dlcsim"), {QStringLiteral("--link"), portName});
    QByteArray ready;
    const bool busReady = waitForOutput(bus, " -> ", ready);
    auto stopBus = qScopeGuard([&bus] {
        bus.terminate();
        if (!bus.waitForFinished(kDeadlineMs))
            bus.kill();
        bus.waitForFinished();
    });
    ASSERT_TRUE(busReady) << ready.toStdString();

    // 38400 8E1 as the simulator answers, its four cells registered and selected.
    ASSERT_TRUE(QDir().mkpath(userFolder() + QStringLiteral("/Data")));
    QFile settings(userFolder() + QStringLiteral("/TorvikSetting.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[SERIALNO]\n1=1001\n2=1002\n3=1003\n4=1004\n"
                   "[SLAVEADDRESS]\n1=1\n2=2\n3=3\n4=4\n"
                   "[SETTINGS]\nBPS300=False\nBaudrate=38400\nDatabit=8\nStopbit=1\nParity=E\n"
                   "Comport=" +
                   QByteArray::number(port.number()) +
                   "\nErrCond1=True\nCommData=10\nCommDataUnit=M\nCommSync=10\n"
                   "FileName=DLC_\nSerialLen=3\nStartNo=1\nDirName=" +
                   QFile::encodeName(userFolder()) +
                   "/Data/\nDataFormat1=True\nDataFormat2=True\nDP=2\nDataKind=R\n"
                   "DataUnit=True\nWaitTime=50\nTimeOut=500\n"
                   "[TAB1]\n1=True\n2=True\n3=True\n4=True\n");
    settings.close();

    QProcessEnvironment driven = env;
    driven.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(TORVIK_DRIVER_PLUGIN_PATH));
    driven.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("torvikdriver"));
    driven.insert(QStringLiteral("TORVIK_DRIVER"), QStringLiteral("measure,close-after=8"));
    start(m_first, driven);
    const bool ended = m_first.waitForFinished(kDeadlineMs);
    const QByteArray said = m_first.readAllStandardError();
    ASSERT_TRUE(ended) << "the run did not end: " << said.toStdString();
    EXPECT_EQ(m_first.exitStatus(), QProcess::NormalExit) << said.toStdString();
    EXPECT_EQ(m_first.exitCode(), 0) << said.toStdString();
    EXPECT_FALSE(said.contains("torvik-driver:")) << said.toStdString();
    // The records of the run, saved at its end.
    const QByteArray records = read(userFolder() + QStringLiteral("/Data/DLC_001.csv"));
    EXPECT_GE(records.count('\n'), 2) << records.toStdString();
    EXPECT_TRUE(read(userFolder() + QStringLiteral("/TorvikSetting.ini")).contains("[TAB2]\n"));
}

TEST_F(Unpacked, AUserFolderThatCannotBeMadeIsSaidClearly) {
    // A home below a plain file: no folder can be made there, for root too.
    QFile blocker(m_dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcessEnvironment env = userEnvironment();
    env.insert(QStringLiteral("HOME"), blocker.fileName());
    start(m_first, env);
    QByteArray said;
    EXPECT_TRUE(waitForError(m_first, "cannot be used", said)) << said.toStdString();
    EXPECT_TRUE(said.contains(QFile::encodeName(blocker.fileName() + "/.local/share/torvik")))
        << said.toStdString();
    EXPECT_TRUE(said.contains("TORVIK_HOME")) << said.toStdString();
    // It waits for the operator to read the message; it has not crashed meanwhile.
    EXPECT_EQ(m_first.state(), QProcess::Running);
}

TEST_F(Unpacked, PythonModuleFindsTheLibraryOfItsInstall) {
    QProcessEnvironment env = userEnvironment();
    env.insert(QStringLiteral("PYTHONPATH"), m_root + QStringLiteral("/" TORVIK_PYTHON_DIR));
    env.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
#ifdef TAVRIN_SANITIZER_PRELOAD
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TAVRIN_SANITIZER_PRELOAD));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
#endif
    const Finished python =
        run(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QStringLiteral("import tavrin\n"
                                                  "with tavrin.Control() as c:\n"
                                                  "    print(tavrin.__file__)\n"
                                                  "    print(c.library)\n"
                                                  "    print(c.TimeoutTrans)\n")},
            env);
    ASSERT_EQ(python.exitCode, 0) << python.output.toStdString();
    const QStringList lines = QString::fromUtf8(python.output).split(u'\n');
    ASSERT_GE(lines.size(), 3) << python.output.toStdString();
    EXPECT_TRUE(lines[0].startsWith(m_root)) << lines[0].toStdString();
    EXPECT_EQ(QFileInfo(lines[1]).canonicalFilePath(),
              QFileInfo(m_root + QStringLiteral("/" TORVIK_LIBRARY_IN_PACKAGE)).canonicalFilePath())
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("150"));
}

} // namespace
