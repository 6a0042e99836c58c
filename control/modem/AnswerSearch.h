// What a modem's answer text means: the word a command waits for, or one of the modem's
// failure words. Pure: no I/O, so the order of the search can be checked from a table.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrin::modem {

// Searches the whole text received so far, in this order: `expected` (0), "NO CARRIER",
// "ERROR", "NO DIAL TONE" or "NO DIALTONE", "BUSY", "NO ANSWER" (their modem results).
// Nothing found: the wait goes on. The words are the modem's own, upper case, anywhere in
// the text (an answer comes framed in CR LF, perhaps after an echo of the command).
std::optional<std::uint16_t> searchAnswer(std::string_view text, std::string_view expected);

} // namespace tavrin::modem
