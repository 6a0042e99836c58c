// The program folder: which folder the program works in (TORVIK_HOME, a build folder, an
// installed program's per-user folder) and the seeding of a per-user folder.
#include "config/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace torvik::config;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// An install tree (bin/ and its shipped folder) and a home, in a folder whose name is not
// ASCII, as a user's may be.
class Layout : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.filePath(QStringLiteral("インストール"));
        m_bin = m_root + QStringLiteral("/usr/bin");
        QDir().mkpath(m_bin);
        m_user = m_dir.filePath(QStringLiteral("ホーム/.local/share/torvik"));
    }

    void ship() {
        const QString shipped = shippedFolder(m_bin);
        write(shipped + "/TorvikLabel.ini", "[MESSAGE]\n0=shipped\n");
        write(shipped + "/Torvik.html", "<p>help</p>");
        write(shipped + "/en/TorvikLabel.ini", "[MESSAGE]\n0=english\n");
        write(shipped + "/en/Torvik.html", "<p>English help</p>");
    }

    QTemporaryDir m_dir;
    QString m_root;
    QString m_bin;
    QString m_user;
};

TEST_F(Layout, FolderFollowsTheWayTheProgramRuns) {
    // A build folder: the folder of the executable, nothing to seed.
    ProgramFolderPlan plan = planProgramFolder({}, m_bin, m_user);
    EXPECT_EQ(plan.folder, m_bin);
    EXPECT_TRUE(plan.seedFrom.isEmpty());

    // Installed: the user's folder, seeded from the shipped one.
    ship();
    plan = planProgramFolder({}, m_bin, m_user);
    EXPECT_EQ(plan.folder, m_user);
    EXPECT_EQ(plan.seedFrom, shippedFolder(m_bin));
    EXPECT_TRUE(QFileInfo(plan.seedFrom).isDir());

    // TORVIK_HOME wins over both, and is used as it is.
    plan = planProgramFolder(QStringLiteral("/bench/folder"), m_bin, m_user);
    EXPECT_EQ(plan.folder, QStringLiteral("/bench/folder"));
    EXPECT_TRUE(plan.seedFrom.isEmpty());
}

// The plan as `nobody` makes it, in a child process (root can write every folder, so a
// program run by root never sees one it cannot write); as the test's user when that is not
// root.
ProgramFolderPlan planAsAnotherUser(const QString& executableDir, const QString& userFolder) {
    int out[2];
    if (::pipe(out) != 0)
        return {QStringLiteral("(no pipe)"), {}};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            const uid_t uid = nobody ? nobody->pw_uid : 65534;
            const gid_t gid = nobody ? nobody->pw_gid : 65534;
            if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 ||
                ::setresuid(uid, uid, uid) != 0)
                ::_exit(2);
        }
        const ProgramFolderPlan plan = planProgramFolder({}, executableDir, userFolder);
        const QByteArray text = (plan.folder + u'\n' + plan.seedFrom).toUtf8();
        const bool written = ::write(out[1], text.data(), size_t(text.size())) == text.size();
        ::_exit(written ? 0 : 3);
    }
    ::close(out[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    ::close(out[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {QStringLiteral("(the child failed: %1)").arg(status), {}};
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    return {lines.value(0), lines.value(1)};
}

TEST_F(Layout, AProgramInAFolderTheUserCannotWriteWorksInTheUsersFolder) {
    write(m_bin + "/TorvikLabel.ini", "[MESSAGE]\n0=beside\n");
    // Readable and searchable by everyone, writable by no one but root.
    constexpr auto open = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                          QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(m_dir.path(), open | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(m_bin, open));
    const ProgramFolderPlan plan = planAsAnotherUser(m_bin, m_user);
    QFile::setPermissions(m_bin, open | QFileDevice::WriteOwner);
    EXPECT_EQ(plan.folder, m_user);
    EXPECT_EQ(plan.seedFrom, m_bin);
}

TEST_F(Layout, FirstStartSeedsTheUsersFolderAndLaterStartsKeepTheUsersCopies) {
    ship();
    const ProgramFolderPlan plan = planProgramFolder({}, m_bin, m_user);
    // Shipped files are read-only, as a package installs them for users.
    QFile::setPermissions(plan.seedFrom + "/TorvikLabel.ini", QFileDevice::ReadOwner);

    ASSERT_FALSE(prepareProgramFolder(plan));
    for (const char* name :
         {"TorvikLabel.ini", "Torvik.html", "en/TorvikLabel.ini", "en/Torvik.html"})
        EXPECT_EQ(read(m_user + '/' + name), read(plan.seedFrom + '/' + name)) << name;
    EXPECT_TRUE(QFileInfo(m_user + "/TorvikLabel.ini").isWritable());

    // The operator's own catalogue stays; a help document that went missing comes back.
    write(m_user + "/TorvikLabel.ini", "[MESSAGE]\n0=mine\n");
    QFile::remove(m_user + "/Torvik.html");
    ASSERT_FALSE(prepareProgramFolder(plan));
    EXPECT_EQ(read(m_user + "/TorvikLabel.ini"), "[MESSAGE]\n0=mine\n");
    EXPECT_EQ(read(m_user + "/Torvik.html"), "<p>help</p>");
}

TEST_F(Layout, AfterAnUpgradeTheCopiesTheUserLeftAsTheyWereFollowTheShippedFiles) {
    ship();
    const ProgramFolderPlan plan = planProgramFolder({}, m_bin, m_user);
    ASSERT_FALSE(prepareProgramFolder(plan));
    // The operator words the catalogue in use their own way.
    write(m_user + "/TorvikLabel.ini", "[MESSAGE]\n0=mine\n");

    // A newer package: new keys in both catalogues, new help.
    for (const char* name :
         {"TorvikLabel.ini", "Torvik.html", "en/TorvikLabel.ini", "en/Torvik.html"}) {
        write(plan.seedFrom + '/' + name, read(plan.seedFrom + '/' + name) + "\n1=new\n");
        QFile::setPermissions(plan.seedFrom + '/' + name, QFileDevice::ReadOwner);
    }
    ASSERT_FALSE(prepareProgramFolder(plan));
    EXPECT_EQ(read(m_user + "/TorvikLabel.ini"), "[MESSAGE]\n0=mine\n");
    for (const char* name : {"Torvik.html", "en/TorvikLabel.ini", "en/Torvik.html"}) {
        EXPECT_EQ(read(m_user + '/' + name), read(plan.seedFrom + '/' + name)) << name;
        EXPECT_TRUE(QFileInfo(m_user + '/' + name).isWritable()) << name;
    }

    // Edited after the upgrade: kept through the next one, as is the earlier edit.
    write(m_user + "/Torvik.html", "<p>my notes</p>");
    for (const char* name : {"Torvik.html", "en/TorvikLabel.ini"})
        QFile::setPermissions(plan.seedFrom + '/' + name,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    write(plan.seedFrom + "/Torvik.html", "<p>help 3</p>");
    write(plan.seedFrom + "/en/TorvikLabel.ini", "[MESSAGE]\n0=english 3\n");
    ASSERT_FALSE(prepareProgramFolder(plan));
    EXPECT_EQ(read(m_user + "/Torvik.html"), "<p>my notes</p>");
    EXPECT_EQ(read(m_user + "/TorvikLabel.ini"), "[MESSAGE]\n0=mine\n");
    EXPECT_EQ(read(m_user + "/en/TorvikLabel.ini"), "[MESSAGE]\n0=english 3\n");
}

TEST_F(Layout, AFolderThatCannotBeMadeIsReportedWithItsPath) {
    ship();
    // A home below a plain file cannot hold a folder, for root too.
    write(m_dir.filePath("file"), "not a folder");
    const QString blocked = m_dir.filePath(QStringLiteral("file/share/torvik"));
    const auto problem = prepareProgramFolder(planProgramFolder({}, m_bin, blocked));
    ASSERT_TRUE(problem);
    for (const QString& text : {problem.logText(), problem.screenText()}) {
        EXPECT_TRUE(text.contains(blocked)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("TORVIK_HOME"))) << text.toStdString();
    }

    const auto none = prepareProgramFolder(planProgramFolder({}, m_bin, {}));
    EXPECT_TRUE(none.logText().contains(QStringLiteral("HOME"))) << none.logText().toStdString();
}

TEST(UserProgramFolder, FollowsXdgDataHome) {
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    const struct {
        const char* data; // null: unset
        const char* home;
        const char* folder;
    } cases[] = {
        {"/data", "/home/u", "/data/torvik"},
        {nullptr, "/home/u", "/home/u/.local/share/torvik"},
        {"", "/home/u", "/home/u/.local/share/torvik"},
        {"relative", "/home/u", "/home/u/.local/share/torvik"}, // not a base directory
        {nullptr, "", ""},
    };
    for (const auto& c : cases) {
        if (c.data)
            qputenv("XDG_DATA_HOME", c.data);
        else
            qunsetenv("XDG_DATA_HOME");
        qputenv("HOME", c.home);
        EXPECT_EQ(userProgramFolder(), QString::fromUtf8(c.folder)) << (c.data ? c.data : "unset");
    }
    qputenv("XDG_DATA_HOME", savedData);
    if (savedData.isNull())
        qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", savedHome);
}

} // namespace
