// How the emulated modem in front of the bus behaves, as read from the command line.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace dlcsim {

// What the modem answers a kind of command with, in place of its usual answer.
enum class ModemAnswer {
    Ok,
    Connect,
    Error,
    NoCarrier,
    Busy,
    NoDialtone, // "NO DIALTONE"
    NoDialTone, // "NO DIAL TONE"
    NoAnswer,
    Silence, // nothing at all
    Garbage  // noise bytes and no word
};

enum class ModemCommand : std::size_t {
    Attention, // a bare "AT"
    Init,      // any other AT command line that neither dials nor hangs up
    Dial,      // ATD...
    Hangup,    // ATH / ATH0
    Escape,    // "+++" with its guard times, during a call
    Count
};

struct ModemConfig {
    bool enabled = false;       // --modem
    int connectDelayMs = 1000;  // ATD until its answer
    int guardMs = 1000;         // escape guard time (S12=50)
    bool echoAlways = false;    // echo commands even after E0
    bool doubleAnswers = false; // every answer twice
    bool splitAnswers = false;  // every answer a byte at a time, a few ms apart
    bool noise = false;         // noise bytes before every answer
    int carrierDropAfter = 0;   // replies of the bus in a call, then the carrier drops; 0 never
    int carrierDropBefore = 0;  // the carrier drops as this reply of a call is due; 0 never
    std::array<std::optional<ModemAnswer>, static_cast<std::size_t>(ModemCommand::Count)> answers;
    std::string logPath;   // --modem-log
    std::string linesPath; // --modem-lines
};

} // namespace dlcsim
