// The line settings of a port, parsed from the control's CommSettings text ("9600,E,8,1").
#ifndef TAVRIN_COMMPORT_COMMSETTINGS_H
#define TAVRIN_COMMPORT_COMMSETTINGS_H

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrin {

enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2 };
enum class StopBits : std::uint8_t { One = 0, Two = 2 };

struct CommSettings {
    std::uint32_t baudRate = 19200;
    Parity parity = Parity::None;
    std::uint8_t dataBits = 8; // 4..8 accepted by the grammar
    StopBits stopBits = StopBits::One;

    friend bool operator==(const CommSettings&, const CommSettings&) = default;
};

// Parses "baud,parity,data,stop". Returns nothing when the text breaks the grammar; the
// control turns that into its invalid-property error. The baud field takes any leading
// number (it is checked when applied to a device, not here).
std::optional<CommSettings> parseCommSettings(std::string_view text);

} // namespace tavrin

#endif
