// Texts the program shows beyond the message table: why the controls are missing, why records
// could not be saved, the titles of the screens that have no catalogue key of their own. They
// come from section NOTICE of the label catalogue; a catalogue without that section (one made
// for the screens alone) gives the built-in Japanese text, never "*****", since these texts
// explain a fault. "%1" and "%2" in a text are filled in by the screen.
#pragma once

#include "config/PrivateProfile.h"

#include <QString>

namespace torvik::config {

enum class Notice {
    ControlsMissing = 1,   // %1 the library looked for, %2 why it could not be used
    ErrorLogNotWritten,    // %1 the error log file
    RecordsKept,           // %1 why (one of the next five), %2 the working file
    DataFolderMissing,     // %1 the data folder
    NoSaveName,            //
    SaveCancelled,         //
    CopyFailed,            // %1 the file, %2 the system's words
    WorkingFileChosen,     //
    CommScreenTitle,       //
    SettingScreenTitle,    //
    HelpWindowTitle,       //
    ProgramFolderUnusable, // %1 the folder, %2 why
};

QString noticeText(const ProfileDocument& catalogue, Notice notice);
// From the catalogue in the program folder.
QString noticeText(Notice notice);

} // namespace torvik::config
