#include "screens/comm/RunSteps.h"

#include "comm/Pacing.h"
#include "config/ProgramValues.h"

#include <QLineEdit>

namespace torvik::screens::comm {

using mdlFileMgr::programValues;
using torvik::comm::lineTimeMs;

double pollIntervalMs() {
    return programValues().PollIntervalMs.toDouble();
}

void sendPause() {
    torvik::comm::pace(pollIntervalMs() + lineTimeMs(programValues().setting.Baudrate, 8));
}

double replyWaitMs() {
    const auto& s = programValues().setting;
    return s.TimeOut - pollIntervalMs() + lineTimeMs(s.Baudrate, 8);
}

void increment(QLineEdit* counter) {
    counter->setText(QString::number(counter->text().toLongLong() + 1));
}

} // namespace torvik::screens::comm
