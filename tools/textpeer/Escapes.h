// Control characters on a command line and in printed output: \r, \n, \t, \\, \" and \xHH.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace textpeer {

// The characters a written text stands for; nothing for a backslash that starts no escape.
std::optional<std::string> unescape(std::string_view text);

// The text with everything outside printable ASCII, the quote and the backslash escaped, so
// that unescape() gives it back.
std::string escape(std::string_view bytes);

} // namespace textpeer
