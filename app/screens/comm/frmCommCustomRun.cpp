// The custom-read run: each ticked row's register range read in turn.
#include "screens/frmComm.h"

namespace torvik::screens {

void frmComm::StartCustom() {}
void frmComm::StartCustomSingle() {}
void frmComm::TAVRIN3_Complete(int, short) {}

} // namespace torvik::screens
