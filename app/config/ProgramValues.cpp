#include "config/ProgramValues.h"

namespace torvik::mdlFileMgr {

ProgramValues& programValues() {
    static ProgramValues values;
    return values;
}

} // namespace torvik::mdlFileMgr
