#include "comm/DataHandOver.h"

#include "comm/ErrorLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace torvik::comm {
namespace {

constexpr qint64 kCopyChunk = 64 * 1024;

// Copies under a temporary name beside the target and renames it over the target, so an
// existing file is replaced only by a whole copy. Returns an empty text on success, else why.
QString copyWhole(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    const qint64 expected = source.size();
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return target.errorString();
    qint64 copied = 0;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(kCopyChunk);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            return source.errorString();
        if (target.write(chunk) != chunk.size())
            return target.errorString();
        copied += chunk.size();
    }
    if (copied != expected)
        return QStringLiteral("the working file changed size while it was copied");
    if (!target.commit())
        return target.errorString();
    if (QFileInfo(to).size() != expected)
        return QStringLiteral("the copy does not have the working file's size");
    return {};
}

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    return fa.exists() && fb.exists() ? fa.canonicalFilePath() == fb.canonicalFilePath()
                                      : fa.absoluteFilePath() == fb.absoluteFilePath();
}

HandOverResult keep(HandOverResult result, HandOverStatus status, bool& firstRecordFlag,
                    const QString& workingFile, const QString& detail) {
    result.status = status;
    result.detail = detail;
    // The next record must go to the end of the kept file, not start it afresh.
    firstRecordFlag = false;
    qWarning("data file hand-over: %s; the records stay in %s", qUtf8Printable(detail),
             qUtf8Printable(workingFile));
    return result;
}

} // namespace

QString unattendedSaveName(const QString& proposedName) {
    return QFileInfo(proposedName).completeBaseName() +
           QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmmss")) +
           QStringLiteral("-recovered.csv");
}

HandOverResult SaveLog(const QString& workingFile, const mdlFileMgr::DataFileNaming& naming,
                       bool& firstRecordFlag, const HandOverSteps& steps) {
    HandOverResult result;
    if (steps.flushPendingRecord)
        steps.flushPendingRecord();
    if (!QFileInfo::exists(workingFile))
        return result;
    if (steps.closeWorkingFile)
        steps.closeWorkingFile();

    const QString folder = dataFolderPath(naming.DirName);
    result.target = folder;
    if (!QFileInfo(folder).isDir())
        return keep(result, HandOverStatus::MissingDataFolder, firstRecordFlag, workingFile,
                    QStringLiteral("the data folder %1 does not exist").arg(folder));

    const QString saveName = mdlFileMgr::CreateFileName(naming, firstRecordFlag);
    if (saveName.isEmpty())
        return keep(result, HandOverStatus::NoSaveName, firstRecordFlag, workingFile,
                    QStringLiteral("no data file name can be made from the settings"));

    QString target = folder + saveName;
    if (QFileInfo::exists(target)) {
        result.askedOperator = true;
        const bool overwrite = steps.confirmOverwrite && steps.confirmOverwrite(target);
        if (!overwrite) {
            const QString chosen =
                steps.chooseSavePath ? steps.chooseSavePath(folder, saveName) : QString();
            if (chosen.isEmpty())
                return keep(result, HandOverStatus::Cancelled, firstRecordFlag, workingFile,
                            QStringLiteral("saving was cancelled"));
            target = QDir(folder).absoluteFilePath(chosen);
        }
    }
    result.target = target;
    if (sameFile(target, workingFile))
        return keep(result, HandOverStatus::CopyFailed, firstRecordFlag, workingFile,
                    QStringLiteral("the chosen file is the working file itself"));

    const QString failure = copyWhole(workingFile, target);
    result.reason = failure;
    if (!failure.isEmpty())
        return keep(result, HandOverStatus::CopyFailed, firstRecordFlag, workingFile,
                    QStringLiteral("%1: %2").arg(target, failure));

    result.savedPath = target;
    firstRecordFlag = true;
    QFile working(workingFile);
    if (!working.remove()) {
        // The records are safe in the copy; the next record starts the working file afresh.
        result.status = HandOverStatus::SavedNotDeleted;
        result.detail = working.errorString();
        qWarning("data file hand-over: saved to %s, but %s could not be deleted: %s",
                 qUtf8Printable(target), qUtf8Printable(workingFile),
                 qUtf8Printable(result.detail));
        return result;
    }
    result.status = HandOverStatus::Saved;
    return result;
}

} // namespace torvik::comm
