#include "config/ProgramFolder.h"

#include "config/Notices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace torvik::config {
namespace {

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString makeFolder(const QString& folder) {
    std::error_code ec;
    std::filesystem::create_directories(nativePath(folder), ec);
    if (ec)
        return QString::fromLocal8Bit(ec.message());
    if (!QFileInfo(folder).isWritable())
        return QStringLiteral("it cannot be written");
    return {};
}

// The catalogues and help documents the program ships: the ones in use and the English ones
// for users to copy over them.
constexpr const char16_t* kShippedFiles[] = {u"TorvikLabel.ini", u"Torvik.html",
                                             u"en/TorvikLabel.ini", u"en/Torvik.html"};

// A copy that fails half-way leaves no file behind (QFile::copy writes a temporary file and
// renames it), so the next start copies it again.
QString copyMissing(const QString& from, const QString& to) {
    for (const char16_t* name : kShippedFiles) {
        const QString source = from + u'/' + QString::fromUtf16(name);
        const QString target = to + u'/' + QString::fromUtf16(name);
        if (QFileInfo::exists(target) || !QFileInfo::exists(source))
            continue;
        const QString targetFolder = QFileInfo(target).absolutePath();
        if (const QString problem = makeFolder(targetFolder); !problem.isEmpty())
            return QStringLiteral("%1: %2").arg(targetFolder, problem);
        QFile file(source);
        // Another copy starting at the same moment may have put it there first.
        if (!file.copy(target) && !QFileInfo::exists(target))
            return QStringLiteral("%1: %2").arg(target, file.errorString());
        // Shipped files are read-only for users; their own copies are theirs to edit.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    return {};
}

} // namespace

QString programFolder() {
    const QString home = qEnvironmentVariable("TORVIK_HOME");
    if (!home.isEmpty())
        return home;
    return planProgramFolder({}, QCoreApplication::applicationDirPath(), userProgramFolder())
        .folder;
}

QString settingsFilePath(const QString& folder) {
    return folder + QStringLiteral("/TorvikSetting.ini");
}
QString labelFilePath(const QString& folder) {
    return folder + QStringLiteral("/TorvikLabel.ini");
}
QString workingDataFilePath(const QString& folder) {
    return folder + QStringLiteral("/DataLog.csv");
}

QString userProgramFolder() {
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.startsWith(u'/'))
        return data + QStringLiteral("/torvik");
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home + QStringLiteral("/.local/share/torvik");
    return {};
}

QString shippedFolder(const QString& executableDir) {
    return QDir::cleanPath(executableDir + u'/' + QStringLiteral(TORVIK_SHIPPED_FOLDER));
}

ProgramFolderPlan planProgramFolder(const QString& torvikHome, const QString& executableDir,
                                    const QString& userFolder) {
    if (!torvikHome.isEmpty())
        return {torvikHome, {}};
    const QString shipped = shippedFolder(executableDir);
    if (QFileInfo::exists(labelFilePath(shipped)))
        return {userFolder, shipped};
    // A copied build in a place the user cannot write: its catalogue is beside it.
    if (!QFileInfo(executableDir).isWritable())
        return {userFolder, executableDir};
    return {executableDir, {}};
}

QString ProgramFolderProblem::logText() const {
    return QStringLiteral("プログラムフォルダー %1 を使えません: %2\n"
                          "The program folder %1 cannot be used: %2.\n"
                          "Set TORVIK_HOME to a folder you can write.")
        .arg(folder, reason);
}

QString ProgramFolderProblem::screenText() const {
    return noticeText(ProfileDocument::load(labelFilePath(catalogueFolder)),
                      Notice::ProgramFolderUnusable)
        .arg(folder, reason);
}

ProgramFolderProblem prepareProgramFolder(const ProgramFolderPlan& plan) {
    if (plan.seedFrom.isEmpty())
        return {};
    if (plan.folder.isEmpty())
        return {QStringLiteral("~/.local/share/torvik"),
                QStringLiteral("neither XDG_DATA_HOME nor HOME is set"), plan.seedFrom};
    if (const QString problem = makeFolder(plan.folder); !problem.isEmpty())
        return {plan.folder, problem, plan.seedFrom};
    if (const QString problem = copyMissing(plan.seedFrom, plan.folder); !problem.isEmpty())
        return {plan.folder, problem, plan.seedFrom};
    return {};
}

ProgramFolderProblem prepareProgramFolder() {
    return prepareProgramFolder(planProgramFolder(qEnvironmentVariable("TORVIK_HOME"),
                                                  QCoreApplication::applicationDirPath(),
                                                  userProgramFolder()));
}

} // namespace torvik::config
