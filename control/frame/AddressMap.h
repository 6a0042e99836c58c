// Reference numbers as the host writes them ("40001") to protocol addresses.
#pragma once

#include <cstdint>

namespace tavrin::frame {

// Only the low 16 bits go on the wire, so a reference below its table's base wraps around.
std::uint16_t MapAddress(std::int32_t addressType, std::uint8_t code, std::int64_t number);

} // namespace tavrin::frame
