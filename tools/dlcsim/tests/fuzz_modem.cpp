// Arbitrary bytes into the emulated modem and the bus behind it, with arbitrary gaps (so the
// escape's guard times, dialling and calls all come up): whatever arrives, the modem must
// neither crash nor stop answering.
#include "Modem.h"
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
    config.cells.push_back(CellSettings{1, 1, {}});
    ModemConfig m;
    m.enabled = true;
    m.guardMs = 100;
    m.connectDelayMs = 50;
    m.echoAlways = (data[0] & 1U) != 0;
    m.doubleAnswers = (data[0] & 2U) != 0;
    m.splitAnswers = (data[0] & 4U) != 0;
    m.noise = (data[0] & 8U) != 0;
    m.carrierDropAfter = (data[0] >> 4) % 3;
    m.carrierDropBefore = (data[0] >> 6) % 3;
    TimePoint now{};
    Session bus(config, now, nullptr);
    Modem modem(m, bus, 38400);
    // Chunks of up to 32 bytes, each after a gap of 0 to 250 ms taken from its first byte.
    std::span<const std::uint8_t> rest(data + 1, size - 1);
    while (!rest.empty()) {
        now += std::chrono::milliseconds((rest[0] % 6U) * 50);
        modem.expire(now);
        modem.takeDue(now);
        const std::size_t chunk = std::min<std::size_t>(rest.size(), 1U + rest[0] % 32U);
        modem.receive(rest.first(chunk), now);
        modem.takeDue(now);
        rest = rest.subspan(chunk);
    }
    while (const auto next = modem.nextDeadline()) {
        if (*next > now + std::chrono::seconds(10)) {
            break;
        }
        now = std::max(now, *next);
        modem.expire(now);
        modem.takeDue(now);
    }
    return 0;
}
