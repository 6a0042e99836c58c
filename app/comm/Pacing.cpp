#include "comm/Pacing.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cmath>

namespace torvik::comm {

bool paceUntil(PacingClock::time_point deadline, const std::function<bool()>& done) {
    // The timer only exists to wake the dispatcher at the deadline; its timeout needs no slot.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        if (done && done())
            return true;
        const auto left = deadline - PacingClock::now();
        if (left <= PacingClock::duration::zero())
            return false;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        wake.start(static_cast<int>(std::min<decltype(ms)>(ms, 1'000'000)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

bool paceFor(double milliseconds, const std::function<bool()>& done) {
    const auto span = std::chrono::duration<double, std::milli>(std::max(milliseconds, 0.0));
    return paceUntil(PacingClock::now() + std::chrono::duration_cast<PacingClock::duration>(span),
                     done);
}

} // namespace torvik::comm
