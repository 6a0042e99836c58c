#include "LineTiming.h"

namespace dlcsim {

Nanos characterTime(const LineSettings& line) {
    const long long bits =
        1 + line.dataBits + (line.parity == Parity::None ? 0 : 1) + line.stopBits;
    return Nanos(bits * 1'000'000'000LL / line.baud);
}

Nanos frameSilence(const LineSettings& line) {
    if (line.baud > 19200) {
        return std::chrono::microseconds(1750);
    }
    return characterTime(line) * 7 / 2;
}

} // namespace dlcsim
