#include "comm/RunClock.h"

namespace torvik::comm {

void RunClock::start(const QDateTime& now, std::int64_t tick) {
    m_lastTick = tick;
    const QDate date = now.date();
    const QTime time = now.time();
    m_year = date.year();
    m_month = date.month();
    m_day = date.day();
    m_hour = time.hour();
    m_minute = time.minute();
    m_second = time.second();
    m_millisecond = static_cast<int>(((tick % 1000) + 1000) % 1000);
}

QString RunClock::TimeEdit(std::int64_t tick) {
    std::int64_t elapsed = tick - m_lastTick;
    m_lastTick = tick;
    if (elapsed < 0)
        elapsed = 0;
    m_millisecond += static_cast<int>(elapsed % 1000);
    m_second += static_cast<int>((elapsed / 1000) % 60);
    m_minute += static_cast<int>((elapsed / 60'000) % 60);
    // Whole days of elapsed time go to the day count through the hour carry below.
    const std::int64_t hours = elapsed / 3'600'000;
    m_day += static_cast<int>(hours / 24);
    m_hour += static_cast<int>(hours % 24);
    if (m_millisecond >= 1000) {
        m_millisecond -= 1000;
        ++m_second;
    }
    if (m_second >= 60) {
        m_second -= 60;
        ++m_minute;
    }
    if (m_minute >= 60) {
        m_minute -= 60;
        ++m_hour;
    }
    if (m_hour >= 24) {
        m_hour -= 24;
        ++m_day;
    }
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1/%2/%3_%4:%5:%6.%7")
        .arg(m_year)
        .arg(two(m_month), two(m_day), two(m_hour), two(m_minute), two(m_second))
        .arg(m_millisecond, 3, 10, QLatin1Char('0'));
}

} // namespace torvik::comm
