#include "screens/frmComm.h"

#include "screens/ScreenSet.h"

namespace torvik::screens {

frmComm::frmComm(ScreenSet& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("frmComm"));
}

frmComm::~frmComm() = default;

void frmComm::resetAll(bool) {}

void frmComm::serialNumberRegistered(int) {}

} // namespace torvik::screens
