// Handing the working data file over to a numbered file in the data folder. The records of a
// run exist only in the working file until the hand-over has a verified copy: every way the
// hand-over can fail keeps the working file, and later records are appended to it, so it is
// offered again, whole, at the next hand-over.
#pragma once

#include "config/Logger.h"

#include <QString>
#include <functional>

namespace torvik::comm {

enum class HandOverStatus {
    NoWorkingFile,     // nothing to hand over; only the pending record was written
    Saved,             // the copy is in place and the working file is gone
    SavedNotDeleted,   // the copy is in place; the working file could not be deleted
    Cancelled,         // the operator cancelled the save dialog; working file kept
    MissingDataFolder, // working file kept
    NoSaveName,        // no numbered name could be made from the settings; working file kept
    CopyFailed,        // working file kept
};

// What the screen supplies.
struct HandOverSteps {
    // Writes the record whose cells are stored but not yet written, when there is one, in the
    // format of the tab on show, and clears the first-record flag. Always called first.
    std::function<void()> flushPendingRecord;
    // The data logger's closing call (OpenMode with EndFlg).
    std::function<void()> closeWorkingFile;
    // The save name already exists in the data folder: true to overwrite it. The screen
    // paints its number labels and asks its Yes/No question.
    std::function<bool(const QString& existingPath)> confirmOverwrite;
    // Overwrite refused: the save-file dialog, opening in the data folder with the name
    // proposed. Returns the chosen path (a bare name is taken in the data folder), or empty
    // when the operator cancels.
    std::function<QString(const QString& dataFolder, const QString& proposedName)> chooseSavePath;
};

struct HandOverResult {
    HandOverStatus status = HandOverStatus::NoWorkingFile;
    QString savedPath;          // where the records went (Saved, SavedNotDeleted)
    QString detail;             // why it failed, in words for the log
    QString target;             // the folder or file it failed on (MissingDataFolder, CopyFailed)
    QString reason;             // the system's words for a copy that failed
    bool askedOperator = false; // the overwrite question was shown: the run's ready flag is due

    // The records were not handed over and stay in the working file: the screen says so.
    bool workingFileKept() const {
        return status != HandOverStatus::Saved && status != HandOverStatus::SavedNotDeleted &&
               status != HandOverStatus::NoWorkingFile;
    }
};

// A name of its own for records that nobody can be asked about (the save name exists and
// must not be overwritten): the proposed name's stem, the time, "-recovered.csv". It ends in
// letters, so the numbering of the data files never reads it as one of theirs.
QString unattendedSaveName(const QString& proposedName);

// SaveLog. firstRecordFlag is the flag the screen passes to the logger: true after a
// hand-over so that the next write starts a new working file, false while the working file is
// kept so that the next write appends to it. Failures are also reported with qWarning.
HandOverResult SaveLog(const QString& workingFile, const mdlFileMgr::DataFileNaming& naming,
                       bool& firstRecordFlag, const HandOverSteps& steps);

} // namespace torvik::comm
