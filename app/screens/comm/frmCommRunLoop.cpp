// What every continuous run shares: the screen entering its running state, the loop and what
// follows it after Stop, and the end of a run whose port cannot be opened.
#include "comm/Pacing.h"
#include "comm/RunLoop.h"
#include "config/Logger.h"
#include "config/ProgramValues.h"
#include "screens/MessageBox.h"
#include "screens/comm/RunSteps.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QDateTime>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace torvik::screens {

using mdlFileMgr::programValues;

void frmComm::enterRunningState(int tab, std::size_t listed) {
    const auto& v = programValues();
    runControls(tab).save->show();
    setSaveButtonIdle(tab);
    m_menu.mnu_set1->menuAction()->setEnabled(false);
    m_menu.mnu_help1->menuAction()->setEnabled(false);
    for (int other = 0; other < m_SSTab1->count(); ++other) {
        if (other != tab)
            m_SSTab1->setTabEnabled(other, false);
    }
    m_logger = std::make_unique<clsLogger>();
    m_logger->SetMax(static_cast<qint16>(listed - 1));
    m_logger->SetFormat1(v.setting.DataFormat1);
    m_logger->SetFormat2(v.setting.DataFormat2);
    m_run.ready = true;
}

void frmComm::ensureSelection(std::span<QCheckBox* const> boxes) {
    if (!m_run.selection.empty())
        return;
    std::vector<std::int16_t> ticked;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i]->isChecked())
            ticked.push_back(static_cast<std::int16_t>(i));
    }
    m_run.setSelection(std::move(ticked));
}

void frmComm::runLoop(QStringView name, const std::function<void()>& send) {
    m_clock.start(QDateTime::currentDateTime(), torvik::comm::timeGetTime());
    m_run.roundComplete = false;
    if (torvik::comm::pollLoop(m_run, name, comm::replyWaitMs(), send) ==
        torvik::comm::LoopEnd::Aborted)
        return;
    // The log waits for the last outstanding reply; if it is still out, its completion writes
    // the log instead.
    if (blnRecvCompleteCheck())
        WriteLog();
    m_run.clearSelection();
}

void frmComm::portOpenFailed(int tab) {
    restoreIdle(tab);
    m_run.abort = true;
    showMessage(this, programValues().messages[comm::kPortFailedMessage]);
    m_menu.mnu_set1->menuAction()->setEnabled(true);
    m_menu.mnu_help1->menuAction()->setEnabled(true);
}

} // namespace torvik::screens
