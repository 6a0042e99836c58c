// The program folder and the files the program keeps in it.
#pragma once

#include <QString>

namespace torvik::config {

// $TORVIK_HOME when set and not empty, else the folder of the executable. Needs the
// application object when TORVIK_HOME is not set.
QString programFolder();

QString settingsFilePath(const QString& folder);    // TorvikSetting.ini
QString labelFilePath(const QString& folder);       // TorvikLabel.ini
QString workingDataFilePath(const QString& folder); // DataLog.csv

} // namespace torvik::config
