#include "commport/LineTiming.h"

namespace tavrin {

unsigned bitsPerCharacter(const CommSettings& settings) {
    unsigned bits = 1 + unsigned{settings.dataBits};
    bits += settings.parity == Parity::None ? 0u : 1u;
    bits += settings.stopBits == StopBits::Two ? 2u : 1u;
    return bits;
}

std::chrono::nanoseconds characterTime(const CommSettings& settings) {
    constexpr std::uint32_t kFixedTimingAbove = 19200;
    if (settings.baudRate > kFixedTimingAbove) {
        return std::chrono::microseconds(500);
    }
    return wireCharacterTime(settings);
}

std::chrono::nanoseconds wireCharacterTime(const CommSettings& settings) {
    // A rate of 0 cannot be applied to a device; time it as the slowest rate one can.
    const std::uint64_t baud = settings.baudRate == 0 ? 1 : settings.baudRate;
    return std::chrono::nanoseconds(std::uint64_t{bitsPerCharacter(settings)} * 1'000'000'000u /
                                    baud);
}

std::chrono::nanoseconds silenceInterval(const CommSettings& settings, double charTimes) {
    const double ns = static_cast<double>(characterTime(settings).count()) * charTimes;
    return std::chrono::nanoseconds(static_cast<std::int64_t>(ns + 0.5));
}

} // namespace tavrin
