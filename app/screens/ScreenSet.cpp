#include "screens/ScreenSet.h"

#include "config/CommandTable.h"
#include "config/ProgramFolder.h"
#include "config/SettingsFile.h"
#include "screens/HelpWindow.h"
#include "screens/MessageBox.h"
#include "screens/Quietly.h"
#include "screens/frmComm.h"
#include "screens/frmMain.h"
#include "screens/frmSetting.h"

#include <QApplication>

namespace torvik::screens {

// exit, not quit: quit first asks every visible window to close, and one that refuses (a
// screen whose entries fail their check) would keep the program running after its settings
// were written.
ScreenSet::ScreenSet() : m_end([] { QCoreApplication::exit(0); }) {}

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
    if (m_comm && m_comm.get() != &closing) {
        quietly([this] { m_comm->close(); });
        // A handler of the main screen is still below: its close completes when that has
        // returned, and ends the program then.
        if (m_comm->closeHeld()) {
            m_finishing = false;
            return;
        }
    }
    if (m_end)
        m_end();
}

void ScreenSet::endProgram() {
    if (m_endRequested || m_finishing)
        return;
    m_endRequested = true;
    setUnattended();
    // A dialog waits for an answer that will not come: closed, the handler that opened it
    // returns (a question closed this way is answered No).
    for (int open = 0; open < 8; ++open) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            break;
        modal->close();
        if (QApplication::activeModalWidget() == modal)
            break;
    }
    if (m_comm) {
        // Its close path ends the program (after the run on the stack has returned, if any).
        quietly([this] { m_comm->close(); });
        return;
    }
    quietly([this] { writeSettingsFile(); });
    quietly([this] { finishProgram(main()); });
}

void ScreenSet::endWithoutEvents() {
    if (m_finishing)
        return;
    m_finishing = true;
    setUnattended();
    // Nothing may be drawn: there is no display to draw on.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->setUpdatesEnabled(false);
    if (m_comm)
        m_comm->endWithoutEvents();
    else
        quietly([this] { writeSettingsFile(); });
}

void ScreenSet::setProgramEnd(ProgramEnd end) {
    m_end = std::move(end);
}

} // namespace torvik::screens
