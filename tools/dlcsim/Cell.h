// One simulated load cell: its registers as the device holds them.
#pragma once

#include "Clock.h"
#include "Config.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace dlcsim {

// Every table (coils, input status, input and holding registers) has 100 entries,
// protocol addresses 0..99 (references x0001..x0100).
inline constexpr std::size_t kTableSize = 100;

// Protocol addresses (reference minus x0001) of the registers the bench program uses.
namespace reg {
inline constexpr std::size_t kMeasured = 0;       // 30001-30002
inline constexpr std::size_t kStatus = 2;         // 30003
inline constexpr std::size_t kCapacity = 3;       // 30004-30005
inline constexpr std::size_t kSerial = 5;         // 30006-30007
inline constexpr std::size_t kModel = 7;          // 30008-30027
inline constexpr std::size_t kMaker = 27;         // 30028-30047
inline constexpr std::size_t kTemperature = 47;   // 30048
inline constexpr std::size_t kRatedOutput = 48;   // 30049-30050
inline constexpr std::size_t kInputMapEnd = 50;   // 30001-30050 are the map's own
inline constexpr std::size_t kTextRegisters = 20; // 40 characters
inline constexpr std::size_t kHoldAddress = 0;    // 40001
inline constexpr std::size_t kHoldSerial = 1;     // 40002-40003
inline constexpr std::size_t kHoldBaud = 3;       // 40004
inline constexpr std::size_t kHoldMapEnd = 4;     // 40001-40004 are the map's own
inline constexpr std::size_t kSyncCoil = 0;       // 00001
} // namespace reg

// Status word bit set while the measured value is the one latched by a synchronisation.
inline constexpr std::uint16_t kStatusLatched = 0x0001;

enum class WriteResult { Ok, IllegalAddress, IllegalValue };

struct CellTexts {
    std::string model;
    std::string maker;
};

class Cell {
public:
    Cell(int number, const CellSettings& settings, const Config& config, TimePoint start);

    int number() const { return m_number; }
    std::uint8_t address() const { return m_address; }
    void setAddress(std::uint8_t address) { m_address = address; }
    std::uint32_t serial() const { return m_serial; }

    // The measured value as it reads at `now`: live, or the one latched by the last
    // synchronisation.
    double value(TimePoint now) const;
    bool latched() const { return m_latched; }

    // Fills out with registers [start, start + out.size()); the caller checks the range.
    void readInputRegisters(std::size_t start, TimePoint now, std::span<std::uint16_t> out) const;
    void readHoldingRegisters(std::size_t start, std::span<std::uint16_t> out) const;
    bool coil(std::size_t index) const { return m_coils[index]; }
    bool inputStatus(std::size_t index) const { return m_inputs[index]; }

    WriteResult writeHoldingRegisters(std::size_t start, std::span<const std::uint16_t> values);
    // Switching coil 1 on latches the measured value at `now`; switching it off
    // returns to the live value.
    void writeCoil(std::size_t index, bool on, TimePoint now);

    const std::string& modelText() const { return m_texts.model; }

private:
    double liveValue(TimePoint now) const;
    std::uint32_t valueWords(double value) const;
    std::uint32_t ratedOutputWords() const;

    int m_number;
    std::uint32_t m_serial;
    std::uint8_t m_address;
    std::optional<double> m_fixed;
    ValueKind m_kind;
    Motion m_motion;
    TimePoint m_start;
    CellTexts m_texts;
    std::int16_t m_temperature;
    std::uint16_t m_baudSetting;
    bool m_latched = false;
    double m_latchedValue = 0.0;
    std::array<bool, kTableSize> m_coils{};
    std::array<bool, kTableSize> m_inputs{};
    std::array<std::uint16_t, kTableSize> m_inputPlain{};
    std::array<std::uint16_t, kTableSize> m_holdingPlain{};
};

} // namespace dlcsim
