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
    // The test tab's text link: %1 its port (COMn), %2 the port's device, %3 the system's words.
    LinkPortIsOpen,      // %1
    LinkNoPortNumber,    // %1 the number
    LinkBadSettings,     // %1 the settings text
    LinkSettingsRefused, // %1, %2 the system's words
    LinkBadInputLength,  // %1 the length
    LinkBadThreshold,    // %1 the threshold
    LinkAlreadyOpen,     // %1
    LinkNoSuchPort,      // %1
    LinkCannotOpen,      // %1, %2, %3
    LinkInUse,           // %1, %2, %3
    LinkNotOpen,         // %1
    LinkTakesNothing,    // %1
    LinkLost,            // %1, %2
    HelpDocumentMissing, // %1 the document
    Last = HelpDocumentMissing,
};

QString noticeText(const ProfileDocument& catalogue, Notice notice);
// From the catalogue in the program folder.
QString noticeText(Notice notice);

} // namespace torvik::config
