// When the line last carried a byte, seen alike by every sharer of the port in any process
// (the steady clock is system-wide). Kept apart from the 11-byte record, whose layout other
// sharers rely on.
#ifndef TAVRIN_PORTSHARE_LINEACTIVITY_H
#define TAVRIN_PORTSHARE_LINEACTIVITY_H

#include "portshare/SharedMemory.h"

#include <chrono>
#include <memory>
#include <string>

namespace tavrin {

class LineActivity {
public:
    using Clock = std::chrono::steady_clock;

    // Opens or creates the object; a new one reads as "silent since the clock started".
    static std::unique_ptr<LineActivity> open(const std::string& name);

    // Records that the line is busy until `until`; an earlier time never replaces a later one
    // (a send in progress may have been recorded with its expected end).
    void noteBusyUntil(Clock::time_point until);
    // Records that a byte was heard at `at`, by the holder of the port lock: whatever was sent
    // before the reply has left the line by then, so this replaces a later expected end.
    void noteHeardAt(Clock::time_point at);
    Clock::time_point lastActivity() const;

private:
    struct Key {
        explicit Key() = default;
    };

public:
    LineActivity(Key, SharedMapping mapping);

private:
    std::int64_t* nanoseconds() const;

    SharedMapping m_mapping;
};

} // namespace tavrin

#endif
