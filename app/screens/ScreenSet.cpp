#include "screens/ScreenSet.h"

#include "screens/frmComm.h"
#include "screens/frmMain.h"
#include "screens/frmSetting.h"

namespace torvik::screens {

ScreenSet::ScreenSet() = default;

ScreenSet::~ScreenSet() {
    // The main screen's close sequence may still reach the others: it goes first.
    m_comm.reset();
    m_setting.reset();
    m_main.reset();
}

frmMain& ScreenSet::main() {
    if (!m_main)
        m_main = std::make_unique<frmMain>(*this);
    return *m_main;
}

frmComm& ScreenSet::comm() {
    if (!m_comm)
        m_comm = std::make_unique<frmComm>(*this);
    return *m_comm;
}

frmSetting& ScreenSet::setting() {
    if (!m_setting)
        m_setting = std::make_unique<frmSetting>(*this);
    return *m_setting;
}

void ScreenSet::showHelp(QWidget&) {}

void ScreenSet::showVersion(QWidget&) {}

} // namespace torvik::screens
