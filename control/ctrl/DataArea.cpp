#include "ctrl/DataArea.h"

#include <bit>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tavrin {

namespace {

struct ViewLimits {
    std::string_view name;
    int last;  // highest accepted index
    int shown; // the number the message names
};

// The views stop at byte 253 (127 words). The numbers in the messages are part of the
// published texts hosts may match on, even where they are not the real last index:
// DataBit names 2016 (126 words * 16) but accepts up to 2031, the 32-bit views name 63 but
// stop at 62. DataLongSwap shares the DataLong message.
constexpr ViewLimits kBit{"DataBit", 2031, 2016};
constexpr ViewLimits kByte{"DataByte", 253, 252};
constexpr ViewLimits kWord{"DataWord", 126, 126};
constexpr ViewLimits kWordBcd{"DataWordBCD", 126, 126};
constexpr ViewLimits kLong{"DataLong", 62, 63};
constexpr ViewLimits kLongBcd{"DataLongBCD", 62, 63};
constexpr ViewLimits kFloat{"DataFloat", 62, 63};
constexpr ViewLimits kFloatSwap{"DataFloatSwap", 62, 63};
constexpr ViewLimits kSlaveWord{"SlaveDataWord", static_cast<int>(kSlaveAreaWords) - 1,
                                static_cast<int>(kSlaveAreaWords) - 1};

std::optional<AutomationError> indexError(const ViewLimits& view, DataArea::Index i) {
    if (i >= 0 && i <= view.last) {
        return std::nullopt;
    }
    return AutomationError{kErrorInvalidPropertyArrayIndex,
                           std::string(view.name) + " array index must be in range 0.." +
                               std::to_string(view.shown) + "!"};
}

// Runs `access` with the checked index, or returns the view's index error untouched.
template <class Access>
auto guarded(const ViewLimits& view, DataArea::Index i, Access&& access)
    -> Outcome<decltype(access(std::size_t{}))> {
    if (auto error = indexError(view, i)) {
        return unexpected(std::move(*error));
    }
    if constexpr (std::is_void_v<decltype(access(std::size_t{}))>) {
        access(static_cast<std::size_t>(i));
        return {};
    } else {
        return access(static_cast<std::size_t>(i));
    }
}

std::uint32_t swapHalves(std::uint32_t v) {
    return (v << 16) | (v >> 16);
}

// BCD by the control's text rule: the value's decimal text, zero-padded to at least
// `digits` characters the way printf's "%0Nd" pads (so -5 is "-005"), cut to its first
// `digits` characters; each character's low 4 bits become one nibble, the first on top.
// Longer values therefore keep their leading digits, and '-' (0x2D) becomes 0xD.
std::uint32_t packDecimalText(std::int32_t value, int digits) {
    char text[16]; // "-2147483648" plus terminator fits with room to spare
    std::snprintf(text, sizeof text, "%0*ld", digits, static_cast<long>(value));
    std::uint32_t nibbles = 0;
    for (int k = 0; k < digits; ++k) {
        nibbles = (nibbles << 4) | (static_cast<std::uint32_t>(text[k]) & 0x0Fu);
    }
    return nibbles;
}

// Nibbles read as decimal digits without checking them, so 0xF counts as 15: at most
// 15 * 1111 = 16665 for four digits and 15 * 11111111 = 166666665 for eight, both within
// the view's integer type.
std::int32_t unpackNibbles(std::uint32_t nibbles, int digits) {
    std::int32_t sum = 0;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        sum = sum * 10 + static_cast<std::int32_t>((nibbles >> shift) & 0x0Fu);
    }
    return sum;
}

} // namespace

std::uint32_t DataArea::pairAt(std::size_t i) const {
    return wordAt(m_bytes, 2 * i) | (static_cast<std::uint32_t>(wordAt(m_bytes, 2 * i + 1)) << 16);
}

void DataArea::setPairAt(std::size_t i, std::uint32_t value) {
    setWordAt(m_bytes, 2 * i, static_cast<std::uint16_t>(value & 0xFFFFu));
    setWordAt(m_bytes, 2 * i + 1, static_cast<std::uint16_t>(value >> 16));
}

Outcome<bool> DataArea::dataBit(Index i) const {
    return guarded(
        kBit, i, [&](std::size_t k) { return ((wordAt(m_bytes, k / 16) >> (k % 16)) & 1u) != 0; });
}

Outcome<void> DataArea::setDataBit(Index i, bool value) {
    return guarded(kBit, i, [&](std::size_t k) {
        const auto mask = static_cast<std::uint16_t>(1u << (k % 16));
        const std::uint16_t word = wordAt(m_bytes, k / 16);
        setWordAt(m_bytes, k / 16,
                  value ? static_cast<std::uint16_t>(word | mask)
                        : static_cast<std::uint16_t>(word & ~mask));
    });
}

Outcome<std::int16_t> DataArea::dataByte(Index i) const {
    return guarded(kByte, i, [&](std::size_t k) { return static_cast<std::int16_t>(m_bytes[k]); });
}

Outcome<void> DataArea::setDataByte(Index i, std::int16_t value) {
    return guarded(kByte, i, [&](std::size_t k) {
        m_bytes[k] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) & 0xFFu);
    });
}

Outcome<std::int16_t> DataArea::dataWord(Index i) const {
    return guarded(kWord, i,
                   [&](std::size_t k) { return static_cast<std::int16_t>(wordAt(m_bytes, k)); });
}

Outcome<void> DataArea::setDataWord(Index i, std::int16_t value) {
    return guarded(
        kWord, i, [&](std::size_t k) { setWordAt(m_bytes, k, static_cast<std::uint16_t>(value)); });
}

Outcome<std::int16_t> DataArea::dataWordBCD(Index i) const {
    return guarded(kWordBcd, i, [&](std::size_t k) {
        return static_cast<std::int16_t>(unpackNibbles(wordAt(m_bytes, k), 4));
    });
}

Outcome<void> DataArea::setDataWordBCD(Index i, std::int16_t value) {
    return guarded(kWordBcd, i, [&](std::size_t k) {
        setWordAt(m_bytes, k, static_cast<std::uint16_t>(packDecimalText(value, 4)));
    });
}

Outcome<std::int32_t> DataArea::dataLong(Index i) const {
    return guarded(kLong, i, [&](std::size_t k) { return static_cast<std::int32_t>(pairAt(k)); });
}

Outcome<void> DataArea::setDataLong(Index i, std::int32_t value) {
    return guarded(kLong, i,
                   [&](std::size_t k) { setPairAt(k, static_cast<std::uint32_t>(value)); });
}

Outcome<std::int32_t> DataArea::dataLongSwap(Index i) const {
    return guarded(kLong, i,
                   [&](std::size_t k) { return static_cast<std::int32_t>(swapHalves(pairAt(k))); });
}

Outcome<void> DataArea::setDataLongSwap(Index i, std::int32_t value) {
    return guarded(kLong, i, [&](std::size_t k) {
        setPairAt(k, swapHalves(static_cast<std::uint32_t>(value)));
    });
}

Outcome<std::int32_t> DataArea::dataLongBCD(Index i) const {
    return guarded(kLongBcd, i, [&](std::size_t k) { return unpackNibbles(pairAt(k), 8); });
}

Outcome<void> DataArea::setDataLongBCD(Index i, std::int32_t value) {
    return guarded(kLongBcd, i, [&](std::size_t k) { setPairAt(k, packDecimalText(value, 8)); });
}

Outcome<float> DataArea::dataFloat(Index i) const {
    return guarded(kFloat, i, [&](std::size_t k) { return std::bit_cast<float>(pairAt(k)); });
}

Outcome<void> DataArea::setDataFloat(Index i, float value) {
    return guarded(kFloat, i,
                   [&](std::size_t k) { setPairAt(k, std::bit_cast<std::uint32_t>(value)); });
}

Outcome<float> DataArea::dataFloatSwap(Index i) const {
    return guarded(kFloatSwap, i,
                   [&](std::size_t k) { return std::bit_cast<float>(swapHalves(pairAt(k))); });
}

Outcome<void> DataArea::setDataFloatSwap(Index i, float value) {
    return guarded(kFloatSwap, i, [&](std::size_t k) {
        setPairAt(k, swapHalves(std::bit_cast<std::uint32_t>(value)));
    });
}

Outcome<std::int16_t> DataArea::slaveDataWord(Index i) const {
    return guarded(kSlaveWord, i,
                   [&](std::size_t k) { return static_cast<std::int16_t>(m_slave[k]); });
}

} // namespace tavrin
