// The test run. The screen calls these from its buttons and forwards the control's events
// here; until the run exists, its presses change nothing on the line.
#include "screens/frmComm.h"

namespace torvik::screens {

void frmComm::OpenTestLink() {}
void frmComm::StartTest() {}
void frmComm::CloseTestLink() {}
void frmComm::TAVRIN6_Complete(short) {}

} // namespace torvik::screens
