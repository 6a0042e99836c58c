#include "screens/ScreenSet.h"

#include "config/CommandTable.h"
#include "config/ProgramFolder.h"
#include "config/SettingsFile.h"
#include "screens/HelpWindow.h"
#include "screens/Quietly.h"
#include "screens/frmComm.h"
#include "screens/frmMain.h"
#include "screens/frmSetting.h"

#include <QCoreApplication>

namespace torvik::screens {

ScreenSet::ScreenSet() : m_end([] { QCoreApplication::quit(); }) {}

ScreenSet::~ScreenSet() {
    // The main screen's close sequence may still reach the others: it goes first.
    m_help.reset();
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

void ScreenSet::showHelp(const QWidget& from) {
    if (!m_help)
        m_help = std::make_unique<HelpWindow>();
    m_help->showContents(config::programFolder(), from);
}

void ScreenSet::initialiseAll(bool refreshCommStatus) {
    main().initialiseRows();
    setting().applyDefaults();
    comm().resetAll(refreshCommStatus);
    mdlFileMgr::CommandInit();
}

void ScreenSet::writeSettingsFile() {
    // Each writer ends quietly on its own; a failed one does not keep the others from writing.
    const mdlFileMgr::RegistrationTexts boxes = main().registrationTexts();
    mdlFileMgr::WriteIniFile(boxes);
    mdlFileMgr::WriteIniFile2();
    mdlFileMgr::WriteIniFile3();
}

void ScreenSet::finishProgram(const QWidget& closing) {
    // The main screen's close sequence, run from here, ends with this call too: the program
    // ends once, when the outer sequence is done.
    if (m_finishing)
        return;
    m_finishing = true;
    if (m_help)
        m_help->close();
    if (m_comm && m_comm.get() != &closing)
        quietly([this] { m_comm->close(); });
    if (m_end)
        m_end();
}

void ScreenSet::setProgramEnd(ProgramEnd end) {
    m_end = std::move(end);
}

} // namespace torvik::screens
