// Port names: a prefix of letters and a number 1-255 ("COM1"). The name also keys the
// named objects every sharer of the port meets.
#ifndef TAVRIN_COMMPORT_PORTNAME_H
#define TAVRIN_COMMPORT_PORTNAME_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

struct PortName {
    std::string prefix; // everything before the first digit, "COM" by default
    std::uint16_t number = 0;
    std::string text; // prefix + number in decimal, e.g. "COM1"
};

// Splits "COM1" into prefix and number. Fails on a text without digits, digits followed by
// anything else, a number outside 1-255, or a prefix that cannot be part of a file name.
std::optional<PortName> parsePortName(std::string_view text);

// The control's AdapterPrefix followed by Adapter in decimal.
std::optional<PortName> portNameFrom(std::string_view prefix, long adapter);

} // namespace tavrin

#endif
