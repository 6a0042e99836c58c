// What the runs of the main screen's tabs share besides the loop: the results they treat
// apart, the pauses after a send and while a reply is outstanding, and the counters.
#pragma once

#include <QColor>
#include <cstddef>
#include <cstdint>

class QLineEdit;

namespace torvik::screens::comm {

inline constexpr std::int16_t kCommOpenFailed = 1280; // the port could not be opened
inline constexpr std::int16_t kNoReply = 256;
inline constexpr std::size_t kPortFailedMessage = 1; // MESSAGE key "2"

// A row or item label while its request is outstanding.
inline QColor pollingColour() {
    return {0, 255, 0};
}

// The poll interval of the settings, in milliseconds.
double pollIntervalMs();

// After a send: the poll interval plus the line time of the reply, so that no request starts
// earlier than that after the one before.
void sendPause();

// How long the loop waits for an outstanding reply before it checks its flags again: the
// time-out less the poll interval already waited after the send, plus the line time.
double replyWaitMs();

// Read, add one, write back: the counters are the text boxes themselves.
void increment(QLineEdit* counter);

} // namespace torvik::screens::comm
