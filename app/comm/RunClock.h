// The software clock behind a run's record time stamps. It starts from the wall clock once
// and then advances by the monotonic tick only, so stamps within a run never jump when the
// system clock is set.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace torvik::comm {

class RunClock {
public:
    // The date and time from `now`; the millisecond from the last three digits of `tick`.
    void start(const QDateTime& now, std::int64_t tick);

    // TimeEdit: advances by the ticks since the last call and gives "yyyy/MM/dd_hh:mm:ss.zzz".
    // The day counts on past the month's end (day 31 + 1 is day 32); it never carries into
    // the month.
    QString TimeEdit(std::int64_t tick);

private:
    std::int64_t m_lastTick = 0;
    int m_year = 0;
    int m_month = 0;
    int m_day = 0;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
    int m_millisecond = 0;
};

} // namespace torvik::comm
