#include "frame/ListText.h"

#include <algorithm>
#include <limits>

namespace tavrin::frame {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c, int base) {
    int value = base; // anything not below base stops the read
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

std::int32_t readNumber(std::string_view text, int base) {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (base == 16 && pos + 1 < text.size() && text[pos] == '0' &&
        (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        pos += 2;
    }
    // Accumulate in 64 bits and stop growing past the 32-bit range, like strtol's clamp.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = digitValue(text[pos], base);
        if (digit < 0) {
            break;
        }
        value = std::min(value * base + digit, kLimit);
    }
    value = negative ? -value : value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::int32_t leadingNumber(std::string_view text) {
    return readNumber(text, 10);
}

std::int32_t leadingHexNumber(std::string_view text) {
    return readNumber(text, 16);
}

std::vector<std::string_view> listItems(std::string_view text) {
    std::vector<std::string_view> items;
    if (text.empty()) {
        return items;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return items;
        }
        start = comma + 1;
    }
}

} // namespace tavrin::frame
