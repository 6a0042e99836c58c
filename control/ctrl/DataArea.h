// The control's data area and the views hosts read and write it through. A read reply
// fills the bytes (via bytes()), a write request takes its values from them; the views
// convert between those bytes and the host's bits, integers, BCD numbers and floats.
#pragma once

#include "ctrl/AutomationError.h"
#include "frame/DataBytes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavrin {

inline constexpr std::size_t kSlaveAreaWords = 128;
using SlaveWords = std::array<std::uint16_t, kSlaveAreaWords>;

class DataArea {
public:
    // Hosts pass indexes as 16-bit signed integers; every value of that type is safe here.
    using Index = std::int16_t;

    DataBytes& bytes() { return m_bytes; }
    const DataBytes& bytes() const { return m_bytes; }

    // Word i of the slave area. Nothing in the system writes it yet; it starts zeroed.
    SlaveWords& slaveWords() { return m_slave; }

    // Index errors carry kErrorInvalidPropertyArrayIndex and the view's own message;
    // a refused call reads or writes nothing.
    Outcome<bool> dataBit(Index i) const;
    Outcome<void> setDataBit(Index i, bool value);

    Outcome<std::int16_t> dataByte(Index i) const;          // 0..255
    Outcome<void> setDataByte(Index i, std::int16_t value); // keeps the low 8 bits

    Outcome<std::int16_t> dataWord(Index i) const;
    Outcome<void> setDataWord(Index i, std::int16_t value);

    // Four BCD digits. Set writes the first four characters of the value's "%04d" text,
    // each reduced to its low 4 bits, so a minus sign becomes the nibble 0xD; get adds the
    // nibbles up in decimal as they are, also those above 9.
    Outcome<std::int16_t> dataWordBCD(Index i) const;
    Outcome<void> setDataWordBCD(Index i, std::int16_t value);

    // Words 2i (low half) and 2i+1 (high half).
    Outcome<std::int32_t> dataLong(Index i) const;
    Outcome<void> setDataLong(Index i, std::int32_t value);

    // Words 2i (high half) and 2i+1 (low half): a device sending the high register first.
    Outcome<std::int32_t> dataLongSwap(Index i) const;
    Outcome<void> setDataLongSwap(Index i, std::int32_t value);

    // Eight BCD digits in the DataLong word order, by the "%08ld" text rule of dataWordBCD.
    Outcome<std::int32_t> dataLongBCD(Index i) const;
    Outcome<void> setDataLongBCD(Index i, std::int32_t value);

    // The float's bit pattern in the DataLong / DataLongSwap word order, copied unchanged
    // (no numeric conversion, so NaN payloads survive).
    Outcome<float> dataFloat(Index i) const;
    Outcome<void> setDataFloat(Index i, float value);
    Outcome<float> dataFloatSwap(Index i) const;
    Outcome<void> setDataFloatSwap(Index i, float value);

    // Read-only to hosts; indexes 0..127, others are refused like the other views.
    Outcome<std::int16_t> slaveDataWord(Index i) const;

private:
    std::uint32_t pairAt(std::size_t i) const;
    void setPairAt(std::size_t i, std::uint32_t value);

    DataBytes m_bytes{};
    SlaveWords m_slave{};
};

} // namespace tavrin
