#include "comm/RunLoop.h"

#include "comm/Pacing.h"

namespace torvik::comm {

Q_LOGGING_CATEGORY(lcRun, "torvik.trace.run", QtWarningMsg)

LoopEnd pollLoop(RunState& run, QStringView name, double replyWaitMs,
                 const std::function<void()>& send) {
    const QString runName = name.toString();
    for (;;) {
        sleepAndPump();
        qCDebug(lcRun).noquote() << runName << "DoEvents1";
        if (run.abort)
            return LoopEnd::Aborted;
        if (run.stop)
            break;
        sleepAndPump();
        qCDebug(lcRun).noquote() << runName << "DoEvents2";
        if (run.ready)
            send();
        sleepAndPump();
        qCDebug(lcRun).noquote() << runName << "DoEvents3";
        if (run.ready)
            continue;
        qCDebug(lcRun).noquote() << runName << "DoEvents4 Before";
        paceUntil(replyWaitMs, [&run] { return run.ready; });
        qCDebug(lcRun).noquote() << runName << "DoEvents4 After";
    }
    qCDebug(lcRun).noquote() << "Stop Buttom Pushed From" << runName;
    return LoopEnd::Stopped;
}

} // namespace torvik::comm
