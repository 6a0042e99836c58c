#include "modem/ModemStatus.h"

#include "commport/CommPort.h"
#include "tavrin/TavrinEnums.h"

namespace tavrin::modem {
namespace {

class PortLines final : public ModemStatusSource {
public:
    std::uint8_t read(const CommPort& port) override { return statusBits(port.modemLines()); }
};

} // namespace

std::uint8_t statusBits(const ModemLines& lines) {
    const auto bit = [](bool on, enumTavrinModemStatus b) { return on ? unsigned{b} : 0U; };
    return static_cast<std::uint8_t>(bit(lines.cts, MS_CTS_ON) | bit(lines.dsr, MS_DSR_ON) |
                                     bit(lines.ring, MS_RING_ON) | bit(lines.carrier, MS_RLSD_ON));
}

std::unique_ptr<ModemStatusSource> portModemStatus() {
    return std::make_unique<PortLines>();
}

} // namespace tavrin::modem
