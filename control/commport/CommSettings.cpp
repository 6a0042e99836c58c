#include "commport/CommSettings.h"

#include <limits>

namespace tavrin {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading decimal digits of a field, 0 when there are none; saturates instead of wrapping
// so that a huge number cannot turn into a small valid rate.
std::uint32_t leadingNumber(std::string_view field) {
    std::uint64_t value = 0;
    for (char c : field) {
        if (!isDigit(c)) {
            break;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            return std::numeric_limits<std::uint32_t>::max();
        }
    }
    return static_cast<std::uint32_t>(value);
}

// Stop bits are read as a number with a fraction, so that "1.5" is a value of its own
// (refused) rather than a one followed by noise.
std::optional<StopBits> stopBitsOf(std::string_view field) {
    std::size_t digits = 0;
    while (digits < field.size() && isDigit(field[digits])) {
        ++digits;
    }
    const std::uint32_t whole = leadingNumber(field.substr(0, digits));
    bool fraction = false;
    if (digits < field.size() && field[digits] == '.') {
        for (std::size_t i = digits + 1; i < field.size() && isDigit(field[i]); ++i) {
            fraction = fraction || field[i] != '0';
        }
    }
    if (fraction) {
        return std::nullopt;
    }
    if (whole == 1) {
        return StopBits::One;
    }
    if (whole == 2) {
        return StopBits::Two;
    }
    return std::nullopt;
}

} // namespace

std::optional<CommSettings> parseCommSettings(std::string_view text) {
    CommSettings s;

    const std::size_t c1 = text.find(',');
    if (c1 == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view baud = text.substr(0, c1);
    if (!baud.empty()) {
        s.baudRate = leadingNumber(baud);
    }

    // Each later field needs at least one character after its comma (the next comma counts)
    // and the comma that closes it.
    const std::string_view afterFirst = text.substr(c1 + 1);
    const std::size_t c2 = afterFirst.find(',');
    if (afterFirst.empty() || c2 == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view parity = afterFirst.substr(0, c2);
    if (!parity.empty()) {
        switch (parity.front()) {
        case 'E':
        case 'e':
            s.parity = Parity::Even;
            break;
        case 'N':
        case 'n':
            s.parity = Parity::None;
            break;
        case 'O':
        case 'o':
            s.parity = Parity::Odd;
            break;
        default:
            return std::nullopt;
        }
    }

    const std::string_view afterSecond = afterFirst.substr(c2 + 1);
    const std::size_t c3 = afterSecond.find(',');
    if (afterSecond.empty() || c3 == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view data = afterSecond.substr(0, c3);
    if (!data.empty()) {
        const char d = data.front();
        if (d < '4' || d > '8') {
            return std::nullopt;
        }
        s.dataBits = static_cast<std::uint8_t>(d - '0');
    }

    const std::string_view stop = afterSecond.substr(c3 + 1);
    if (!stop.empty()) {
        const auto bits = stopBitsOf(stop);
        if (!bits) {
            return std::nullopt;
        }
        s.stopBits = *bits;
    }
    return s;
}

} // namespace tavrin
