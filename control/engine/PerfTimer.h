// A budget of milliseconds on the monotonic clock: armed with the budget, started, then
// asked whether the budget has been exceeded (strictly more time than the budget).
#pragma once

#include <chrono>
#include <cstdint>

namespace tavrin {

class PerfTimer {
public:
    using Clock = std::chrono::steady_clock;

    void Arm(std::int64_t milliseconds) { m_budget = std::chrono::milliseconds(milliseconds); }
    void Start() { m_start = Clock::now(); }
    bool Expired() const { return Clock::now() - m_start > m_budget; }
    // When Expired() turns true; what a thread sleeps until.
    Clock::time_point deadline() const { return m_start + m_budget; }
    Clock::duration budget() const { return m_budget; }

private:
    Clock::duration m_budget{};
    Clock::time_point m_start = Clock::now();
};

} // namespace tavrin
