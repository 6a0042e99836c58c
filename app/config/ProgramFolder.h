// The program folder and the files the program keeps in it.
#pragma once

#include <QString>

namespace torvik::config {

// $TORVIK_HOME when set and not empty; else, for an installed program (the shipped folder
// exists beside it, or its own folder cannot be written), the user's folder; else the folder
// of the executable. Needs the application object when TORVIK_HOME is not set.
QString programFolder();

QString settingsFilePath(const QString& folder);    // TorvikSetting.ini
QString labelFilePath(const QString& folder);       // TorvikLabel.ini
QString workingDataFilePath(const QString& folder); // DataLog.csv

// $XDG_DATA_HOME/torvik (an absolute XDG_DATA_HOME only), else ~/.local/share/torvik; empty
// when neither can be formed.
QString userProgramFolder();

// Where an installed program's catalogues and help documents are: share/torvik of its
// install prefix, found from the executable's folder.
QString shippedFolder(const QString& executableDir);

struct ProgramFolderPlan {
    QString folder;
    // The folder whose files a new program folder is seeded with; empty when the program
    // folder is used as it is (TORVIK_HOME, a build folder).
    QString seedFrom;
};

// The rule of programFolder() with its inputs given.
ProgramFolderPlan planProgramFolder(const QString& torvikHome, const QString& executableDir,
                                    const QString& userFolder);

// Why a program folder cannot be used; empty (false) when it can.
struct ProgramFolderProblem {
    QString folder;
    QString reason;
    QString catalogueFolder; // the shipped catalogue that words the message on screen

    explicit operator bool() const { return !reason.isEmpty(); }
    // For the log: in Japanese and English, whatever the catalogue says.
    QString logText() const;
    // For the operator, from the catalogue's NOTICE section.
    QString screenText() const;
};

// Creates a seeded program folder as needed and copies in every shipped file it lacks. A copy
// still as it was seeded follows a shipped file that changed (an upgrade); one the user
// changed is never replaced.
ProgramFolderProblem prepareProgramFolder(const ProgramFolderPlan& plan);
// For this program (needs the application object).
ProgramFolderProblem prepareProgramFolder();

} // namespace torvik::config
