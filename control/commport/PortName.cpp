#include "commport/PortName.h"

namespace tavrin {

std::optional<PortName> parsePortName(std::string_view text) {
    std::size_t firstDigit = 0;
    while (firstDigit < text.size() && (text[firstDigit] < '0' || text[firstDigit] > '9')) {
        ++firstDigit;
    }
    const std::string_view prefix = text.substr(0, firstDigit);
    const std::string_view digits = text.substr(firstDigit);
    if (digits.empty()) {
        return std::nullopt;
    }
    // The name becomes a link name in the ports folder and part of shared-memory names:
    // a slash would walk out of the folder, a NUL would cut the name short.
    if (prefix.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 255) {
            return std::nullopt;
        }
    }
    if (value < 1) {
        return std::nullopt;
    }
    PortName name;
    name.prefix = std::string(prefix);
    name.number = static_cast<std::uint16_t>(value);
    name.text = name.prefix + std::to_string(value);
    return name;
}

std::optional<PortName> portNameFrom(std::string_view prefix, long adapter) {
    std::string text(prefix);
    text += std::to_string(adapter);
    return parsePortName(text);
}

} // namespace tavrin
