// Arbitrary bytes into the device's frame receivers and the bus behind them: whatever
// arrives, the simulator must neither crash nor stop serving.
#include "Session.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dlcsim;
    if (size == 0) {
        return 0;
    }
    Config config;
    config.framing = (data[0] & 1U) != 0 ? Framing::Ascii : Framing::Rtu;
    config.lineTiming = (data[0] & 2U) != 0;
    for (int i = 1; i <= 3; ++i) {
        config.cells.push_back(
            CellSettings{static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(i), {}});
    }
    config.faults.push_back(FaultRule{FaultKind::Garbage, 0.5, 0, 0, 0});
    TimePoint now{};
    Session session(config, now, nullptr);
    // Split the input into chunks separated by a gap long enough to end any frame.
    std::span<const std::uint8_t> rest(data + 1, size - 1);
    while (!rest.empty()) {
        const std::size_t chunk = std::min<std::size_t>(rest.size(), 1U + rest[0] % 32U);
        session.receive(rest.first(chunk), now);
        now += std::chrono::milliseconds(rest[0] % 3U == 0 ? 2000 : 0);
        session.expire(now);
        session.takeDue(now + std::chrono::seconds(5));
        rest = rest.subspan(chunk);
    }
    return 0;
}
