// The information, custom and test runs. The screen calls these from its buttons and forwards
// the controls' events here; until these runs exist, their presses change nothing on the line.
#include "screens/frmComm.h"

namespace torvik::screens {

void frmComm::StartInfo() {}
void frmComm::StartInfoSingle() {}
void frmComm::StartCustom() {}
void frmComm::StartCustomSingle() {}
void frmComm::OpenTestLink() {}
void frmComm::StartTest() {}
void frmComm::CloseTestLink() {}
void frmComm::TAVRIN2_Complete(int, short) {}
void frmComm::TAVRIN3_Complete(int, short) {}
void frmComm::TAVRIN6_Complete(short) {}

} // namespace torvik::screens
