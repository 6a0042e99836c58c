// What the runs do on the line. The screen calls these from its buttons and forwards the
// controls' events here; until the runs exist, a press changes nothing on the line.
#include "screens/frmComm.h"

namespace torvik::screens {

void frmComm::StartMeasur() {}
void frmComm::StartMeasurSingle() {}
void frmComm::StartInfo() {}
void frmComm::StartInfoSingle() {}
void frmComm::StartCustom() {}
void frmComm::StartCustomSingle() {}
void frmComm::OpenTestLink() {}
void frmComm::StartTest() {}
void frmComm::CloseTestLink() {}
void frmComm::AssignmentPass(int) {}
void frmComm::WriteLog() {}
void frmComm::SaveLog() {}
void frmComm::TAVRIN0_Complete(int, short) {}
void frmComm::TAVRIN1_Complete(int, short) {}
void frmComm::TAVRIN2_Complete(int, short) {}
void frmComm::TAVRIN3_Complete(int, short) {}
void frmComm::TAVRIN4_Complete(int, short) {}
void frmComm::TAVRIN5_Complete(int, short) {}
void frmComm::TAVRIN6_Complete(short) {}

} // namespace torvik::screens
