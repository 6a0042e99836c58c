#include "screens/frmMain.h"

#include "config/ProgramValues.h"
#include "screens/ScreenSet.h"

namespace torvik::screens {

frmMain::frmMain(ScreenSet& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("frmMain"));
}

frmMain::~frmMain() = default;

// Until the boxes exist they read what the settings gave them.
QString frmMain::serialNumberText(int row) const {
    return mdlFileMgr::programValues().serialNo.at(static_cast<std::size_t>(row));
}

QString frmMain::slaveAddressText(int row) const {
    return QString::number(
        mdlFileMgr::programValues().slaveAddress.at(static_cast<std::size_t>(row)));
}

void frmMain::initialiseRows() {}

} // namespace torvik::screens
