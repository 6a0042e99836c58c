// Records a previous run left behind: a working data file that is still there at start belongs
// to a run that did not end in order (a crash, a power loss, a kill). It is handed over to the
// data folder like any other, so that the new run's first record cannot empty it.
#pragma once

#include "config/ProgramValues.h"

#include <QString>

namespace torvik::startup {

// The program's own data folder (program folder + "/Data/") is made when the settings name it
// and it is missing, as on a first start.
void makeOwnDataFolder(const QString& programFolder, const mdlFileMgr::ProgramValues& values);

// Hands a working data file left in the program folder over to the next numbered file of the
// data folder. Nobody is asked: a save name that already exists is never overwritten, the
// records go to a name of their own beside it. When the data folder is missing or the copy
// fails, the working file is renamed in the program folder so that nothing empties it. Returns
// where the records went, empty when there were none; failures are warnings.
QString handOverLeftRecords(const QString& programFolder, const mdlFileMgr::ProgramValues& values);

} // namespace torvik::startup
