// The loop every tab's continuous run turns on the user-interface thread until Stop or an
// abort: handle events, leave on an abort at once and on Stop at the next check, send when no
// reply is outstanding, otherwise wait for the reply within a limit. Replies, Stop and the
// other buttons all arrive as events handled inside the loop's waits, so the flags are checked
// after every wait.
#pragma once

#include "comm/RunState.h"

#include <QLoggingCategory>
#include <QStringView>
#include <functional>

namespace torvik::comm {

// The runs' traces (every pacing point of the loop, every send): off unless enabled, for
// example with QT_LOGGING_RULES="torvik.trace.run.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcRun)

enum class LoopEnd { Stopped, Aborted };

// Turns until run.abort (returns Aborted at once) or run.stop (returns Stopped). `send` is
// the run's send step (Tab1_Send, Tab2_Send, ...), called whenever run.ready is set; after it
// the loop waits at most replyWaitMs for run.ready, and after that limit checks the flags and
// sends again. `name` is the run's (StartMeasur, StartInfo, ...) and names its traces.
LoopEnd pollLoop(RunState& run, QStringView name, double replyWaitMs,
                 const std::function<void()>& send);

} // namespace torvik::comm
