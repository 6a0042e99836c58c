#include "frame/FunctionMap.h"

namespace tavrin::frame {

std::optional<FunctionCode> MapFunction(std::int32_t function) {
    switch (function) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 15:
    case 16:
    case 17:
    case 20:
    case 21:
    case 22:
    case 23:
    case 65:
    case 255:
        return FunctionCode{static_cast<std::uint8_t>(function), 0};
    // Scattered read and write share code 100; the sub-function tells them apart.
    case 100:
        return FunctionCode{100, 4};
    case 10005:
        return FunctionCode{100, 5};
    // Encapsulated interface transport, MEI type 14: read device identification.
    case 4314:
        return FunctionCode{43, 14};
    default:
        return std::nullopt;
    }
}

} // namespace tavrin::frame
