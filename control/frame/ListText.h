// Reading numbers out of the host's property texts (NodeAddress, MemStart).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tavrin::frame {

// The number at the start of the text the way C's atoi reads it: blanks, an optional sign,
// decimal digits up to the first other character; 0 when there are none. Saturates at the
// 32-bit range instead of overflowing.
std::int32_t leadingNumber(std::string_view text);

// The same for hexadecimal digits, with an optional 0x prefix.
std::int32_t leadingHexNumber(std::string_view text);

// The comma-separated items of a list; an empty text is an empty list.
std::vector<std::string_view> listItems(std::string_view text);

} // namespace tavrin::frame
