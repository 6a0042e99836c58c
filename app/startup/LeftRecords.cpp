#include "startup/LeftRecords.h"

#include "comm/DataHandOver.h"
#include "comm/ErrorLog.h"
#include "config/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>

namespace torvik::startup {

void makeOwnDataFolder(const QString& programFolder, const mdlFileMgr::ProgramValues& values) {
    const QString own = QDir::cleanPath(programFolder + QStringLiteral("/Data"));
    const QString named = QDir::cleanPath(values.setting.DirName.trimmed());
    if (named == own && !QFileInfo(own).isDir() && !QDir().mkpath(own))
        qWarning("data folder: %s could not be made", qUtf8Printable(own));
}

QString handOverLeftRecords(const QString& programFolder, const mdlFileMgr::ProgramValues& values) {
    const QString working = config::workingDataFilePath(programFolder);
    const QFileInfo info(working);
    if (!info.exists())
        return {};
    if (info.isFile() && info.size() == 0) {
        QFile::remove(working); // nothing was recorded
        return {};
    }
    const auto& s = values.setting;
    const mdlFileMgr::DataFileNaming naming{s.DirName, s.FileName, s.SerialLen, s.StartNo};
    comm::HandOverSteps steps;
    steps.confirmOverwrite = [](const QString&) { return false; };
    steps.chooseSavePath = [](const QString&, const QString& proposed) {
        return comm::unattendedSaveName(proposed);
    };
    bool newFile = false;
    const auto result = comm::SaveLog(working, naming, newFile, steps);
    if (!result.workingFileKept()) {
        if (!result.savedPath.isEmpty())
            qInfo("data file hand-over: records left by the previous run saved to %s",
                  qUtf8Printable(result.savedPath));
        return result.savedPath;
    }
    // Kept where the next run starts its working file afresh: moved aside instead.
    const QString aside =
        programFolder + u'/' + comm::unattendedSaveName(QStringLiteral("DataLog"));
    if (!QFile::rename(working, aside)) {
        qWarning("data file hand-over: the records left in %s could not be moved aside",
                 qUtf8Printable(working));
        return {};
    }
    qWarning("data file hand-over: records left by the previous run kept in %s",
             qUtf8Printable(aside));
    return aside;
}

} // namespace torvik::startup
