// A reply as the registers (or bits) came off the line, read back through the control's
// views: word i holds register i, byte 2i its low and 2i+1 its high byte, a 32-bit value at
// index 0 is registers 0 (high half) and 1.
#pragma once

#include "comm/DlcDecoding.h"

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace torvik::comm::test {

class Registers : public ReplyData {
public:
    Registers(std::initializer_list<std::uint16_t> words) : m_words(words) {
        m_words.resize(kWords);
    }

    static Registers ofFloat(float value) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        return {static_cast<std::uint16_t>(bits >> 16), static_cast<std::uint16_t>(bits)};
    }
    static Registers ofLong(std::int32_t value) {
        const auto bits = static_cast<std::uint32_t>(value);
        return {static_cast<std::uint16_t>(bits >> 16), static_cast<std::uint16_t>(bits)};
    }
    // Coils or inputs, element i on when bits[i] is.
    static Registers ofBits(std::initializer_list<bool> bits) {
        Registers r{};
        r.m_bits = bits;
        return r;
    }

    float floatSwap(int index) const override { return std::bit_cast<float>(pair(index)); }
    std::int32_t longSwap(int index) const override {
        return static_cast<std::int32_t>(pair(index));
    }
    std::int16_t byte(int index) const override {
        const std::uint16_t w = at(index / 2);
        return static_cast<std::int16_t>(index % 2 ? w >> 8 : w & 0xFF);
    }
    std::int16_t word(int index) const override { return static_cast<std::int16_t>(at(index)); }
    bool bit(int index) const override {
        const auto i = static_cast<std::size_t>(index);
        return i < m_bits.size() && m_bits[i];
    }

private:
    static constexpr std::size_t kWords = 128; // the control's data area

    std::uint16_t at(int i) const { return m_words.at(static_cast<std::size_t>(i)); }
    std::uint32_t pair(int i) const { return std::uint32_t{at(2 * i)} << 16 | at(2 * i + 1); }
    std::vector<std::uint16_t> m_words;
    std::vector<bool> m_bits;
};

} // namespace torvik::comm::test
