#include "screens/frmMain.h"

#include "screens/ScreenSet.h"

namespace torvik::screens {

frmMain::frmMain(ScreenSet& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("frmMain"));
}

frmMain::~frmMain() = default;

QString frmMain::serialNumberText(int) const {
    return QStringLiteral("0");
}

void frmMain::initialiseRows() {}

} // namespace torvik::screens
