#include "commport/PortTimeouts.h"

#include <algorithm>

namespace tavrin {

std::chrono::milliseconds PortTimeouts::readBound(std::size_t bytes) const {
    return std::chrono::milliseconds(std::uint64_t{readMultiplier} * bytes + readConstant);
}

std::chrono::milliseconds PortTimeouts::writeBound(std::size_t bytes) const {
    return std::chrono::milliseconds(std::uint64_t{writeMultiplier} * bytes + writeConstant);
}

PortTimeouts timeoutsFor(std::uint32_t baudRate, std::uint32_t readConstantMs) {
    const std::uint32_t bytesPerSecond = std::max<std::uint32_t>(baudRate, 12) / 12;
    const std::uint32_t msPerByte = std::max<std::uint32_t>(1000 / bytesPerSecond, 2);
    PortTimeouts t;
    t.readMultiplier = 2 * msPerByte;
    t.readConstant = readConstantMs;
    t.writeMultiplier = 2 * msPerByte;
    return t;
}

} // namespace tavrin
