// The loop of every continuous run and what follows it after Stop.
#include "comm/RunLoop.h"
#include "screens/comm/RunSteps.h"
#include "screens/frmComm.h"

namespace torvik::screens {

void frmComm::runLoop(QStringView name, const std::function<void()>& send) {
    if (torvik::comm::pollLoop(m_run, name, comm::replyWaitMs(), send) ==
        torvik::comm::LoopEnd::Aborted)
        return;
    // The log waits for the last outstanding reply; if it is still out, its completion writes
    // the log instead.
    if (blnRecvCompleteCheck())
        WriteLog();
    m_run.clearSelection();
}

} // namespace torvik::screens
