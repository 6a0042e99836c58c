// The fixed waits and answer time limits of the modem dialogue. The defaults are the
// dialogue's own; a test may shorten them here, and a modem must then be as quick.
#pragma once

#include <chrono>

namespace tavrin::modem {

struct ModemTimings {
    // After raising DTR and RTS, and between the escape and the next command.
    std::chrono::milliseconds settle{200};
    // Silence before and after "+++": above the modem's guard time of 1 s (S12=50, in
    // fiftieths of a second), or the modem takes the pluses for data.
    std::chrono::milliseconds escapeGuard{1100};
    // For "OK" to "AT" and to each initialisation string.
    std::chrono::milliseconds commandAnswer{2000};
    // After "CONNECT", before the first frame: the modems settle the link first.
    std::chrono::milliseconds afterConnect{1000};
    // For "OK" to "ATH0".
    std::chrono::milliseconds hangupAnswer{20000};
};

} // namespace tavrin::modem
