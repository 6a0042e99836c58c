// The information run: the ticked items of the chosen load cell read in turn.
#include "screens/frmComm.h"

namespace torvik::screens {

void frmComm::StartInfo() {}
void frmComm::StartInfoSingle() {}
void frmComm::TAVRIN2_Complete(int, short) {}

} // namespace torvik::screens
