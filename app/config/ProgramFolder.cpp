#include "config/ProgramFolder.h"

#include <QCoreApplication>

namespace torvik::config {

QString programFolder() {
    const QString home = qEnvironmentVariable("TORVIK_HOME");
    if (!home.isEmpty())
        return home;
    return QCoreApplication::applicationDirPath();
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

} // namespace torvik::config
