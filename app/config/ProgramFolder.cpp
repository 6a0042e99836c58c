#include "config/ProgramFolder.h"

#include "config/Notices.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <filesystem>
#include <map>
#include <optional>
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

// What was last copied from the shipped folder, as `sha256sum` writes it ("<hex>  <name>"), so
// that a copy the user left as it was can follow a newer shipped file and one the user changed
// is kept.
constexpr char16_t kSeedStamp[] = u".seeded.sha256";

QByteArray digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

std::optional<QByteArray> readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::map<QString, QByteArray> readStamp(const QString& path) {
    std::map<QString, QByteArray> seeded;
    const auto text = readAll(path);
    for (const QByteArray& line : text.value_or(QByteArray()).split('\n')) {
        const qsizetype gap = line.indexOf("  ");
        if (gap > 0 && !line.startsWith('#'))
            seeded[QString::fromUtf8(line.mid(gap + 2))] = line.left(gap);
    }
    return seeded;
}

// Written whole or not at all (QSaveFile renames a finished temporary file), so a copy that
// fails half-way leaves the old file, or none, and the next start tries again.
QString writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    // Shipped files are read-only for users; their own copies are theirs to edit.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    return {};
}

QString seed(const QString& from, const QString& to) {
    const QString stampPath = to + u'/' + QString::fromUtf16(kSeedStamp);
    const std::map<QString, QByteArray> before = readStamp(stampPath);
    std::map<QString, QByteArray> after;
    for (const char16_t* name : kShippedFiles) {
        const QString key = QString::fromUtf16(name);
        const auto source = readAll(from + u'/' + key);
        if (!source)
            continue;
        const QString target = to + u'/' + key;
        const QByteArray shipped = digest(*source);
        const auto seeded = before.find(key);
        if (const QFileInfo info(target); info.exists()) {
            // One the user locked is theirs too.
            const auto current = info.isWritable() ? readAll(target) : std::nullopt;
            const QByteArray own = current ? digest(*current) : QByteArray();
            if (own == shipped) {
                after[key] = shipped;
                continue;
            }
            // Changed by the user, or seeded before digests were kept: theirs.
            if (seeded == before.end() || own != seeded->second) {
                if (seeded != before.end())
                    after[key] = seeded->second;
                continue;
            }
            // Left as it was seeded: it follows the shipped file.
        } else {
            const QString targetFolder = QFileInfo(target).absolutePath();
            if (const QString problem = makeFolder(targetFolder); !problem.isEmpty())
                return QStringLiteral("%1: %2").arg(targetFolder, problem);
        }
        after[key] = shipped;
        if (const QString problem = writeWhole(target, *source); !problem.isEmpty())
            return problem;
    }
    if (after == before)
        return {};
    QByteArray stamp = "# The shipped files as last copied here. A file that still matches is "
                       "replaced when the shipped one changes; delete a line to keep a file.\n";
    for (const auto& [name, sum] : after)
        stamp += sum + "  " + name.toUtf8() + '\n';
    return writeWhole(stampPath, stamp);
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
    if (const QString problem = seed(plan.seedFrom, plan.folder); !problem.isEmpty())
        return {plan.folder, problem, plan.seedFrom};
    return {};
}

ProgramFolderProblem prepareProgramFolder() {
    return prepareProgramFolder(planProgramFolder(qEnvironmentVariable("TORVIK_HOME"),
                                                  QCoreApplication::applicationDirPath(),
                                                  userProgramFolder()));
}

} // namespace torvik::config
