// The control's Function numbers as Modbus function codes on the wire.
#pragma once

#include <cstdint>
#include <optional>

namespace tavrin::frame {

struct FunctionCode {
    std::uint8_t code = 0;
    std::uint8_t subFunction = 0;
};

// Empty for a number the Function property never accepts.
std::optional<FunctionCode> MapFunction(std::int32_t function);

} // namespace tavrin::frame
