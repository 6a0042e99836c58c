// The line as a wire carries it: one character at a time, each whole one character time after
// it began, and none beginning before the one before it is whole. A master that writes a whole
// frame onto a pseudo-terminal at once hands its characters over in one instant; the wire
// spreads them over their real time, after whatever traffic the line still carries.
#pragma once

#include "Clock.h"

#include <optional>

namespace dlcsim {

class Wire {
public:
    explicit Wire(Clock::duration character) : m_character(character) {}

    struct Character {
        TimePoint begin;
        TimePoint end;
        // Quiet line before it began; none for the first character the line ever carried.
        std::optional<Clock::duration> silence;
    };

    // A character handed to the line at `at`.
    Character carry(TimePoint at);
    // The line carries `count` characters from `begin` on (a reply we send).
    void reserve(TimePoint begin, long count);
    // Traffic went on until at least `end` (a reply that left later than planned).
    void busyUntil(TimePoint end);

    // When the line's traffic so far ends; none before any.
    std::optional<TimePoint> quietFrom() const { return m_quietFrom; }

private:
    Clock::duration m_character;
    std::optional<TimePoint> m_quietFrom;
};

} // namespace dlcsim
