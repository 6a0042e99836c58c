#include "Cell.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <numbers>

namespace dlcsim {
namespace {

constexpr float kRatedCapacity = 500.0F;  // kg
constexpr float kRatedOutputFloat = 2.0F; // mV/V
// Moving counts are hundredths of the value, so with two decimals the rated output count
// 50000 reads as 500.00 and the count-to-kilogram factor capacity / output is 1.
constexpr std::int32_t kRatedOutputCount = 50000;
constexpr double kCountsPerUnit = 100.0;

std::uint16_t high(std::uint32_t v) {
    return static_cast<std::uint16_t>(v >> 16);
}
std::uint16_t low(std::uint32_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFFU);
}

void putText(const std::string& text, std::span<std::uint16_t> regs, std::size_t first,
             std::size_t start) {
    // Two characters per register, high byte first, padded with spaces.
    for (std::size_t i = 0; i < regs.size(); ++i) {
        const std::size_t r = start + i;
        if (r < first || r >= first + reg::kTextRegisters) {
            continue;
        }
        const std::size_t c = 2 * (r - first);
        const auto at = [&](std::size_t k) -> unsigned {
            return k < text.size() ? static_cast<unsigned char>(text[k]) : unsigned{' '};
        };
        regs[i] = static_cast<std::uint16_t>((at(c) << 8) | at(c + 1));
    }
}

} // namespace

Cell::Cell(int number, const CellSettings& settings, const Config& config, TimePoint start)
    : m_number(number), m_serial(settings.serial), m_address(settings.address),
      m_fixed(settings.fixedValue), m_kind(config.valueKind), m_motion(config.motion),
      m_start(start), m_texts{config.model, config.maker},
      // Hundredths of a degree, a little apart per cell: cell 1 reads 20.25.
      m_temperature(static_cast<std::size_t>(number - 1) < config.temperatures.size()
                        ? config.temperatures[static_cast<std::size_t>(number - 1)]
                        : static_cast<std::int16_t>(2000 + 25 * (number % 100))),
      // The baud-rate setting register holds the rate in hundreds: 38400 reads as 384.
      m_baudSetting(static_cast<std::uint16_t>(std::min(config.line.baud / 100, 0xFFFF))) {
    // Recognisable contents for the free reads: the cell number in the high byte and the
    // one-based register number in the low byte; bit patterns shifted per cell.
    const auto k = static_cast<unsigned>(number);
    for (std::size_t i = 0; i < kTableSize; ++i) {
        const auto n = static_cast<unsigned>(i + 1);
        const auto pattern = static_cast<std::uint16_t>(((k & 0xFFU) << 8) | n);
        m_inputPlain[i] = pattern;
        m_holdingPlain[i] = pattern;
        m_coils[i] = i != reg::kSyncCoil && n % 2 == k % 2;
        m_inputs[i] = n % 3 == k % 3;
    }
    for (const Preset& preset : config.presets) {
        if (preset.cell != 0 && preset.cell != number) {
            continue;
        }
        for (std::size_t i = 0; i < preset.values.size() && preset.start + i < kTableSize; ++i) {
            const std::size_t at = preset.start + i;
            const std::uint16_t v = preset.values[i];
            switch (preset.table) {
            case Table::Coils:
                m_coils[at] = v != 0;
                break;
            case Table::Inputs:
                m_inputs[at] = v != 0;
                break;
            case Table::InputRegisters:
                m_inputPlain[at] = v;
                break;
            case Table::HoldingRegisters:
                m_holdingPlain[at] = v;
                break;
            }
        }
    }
}

double Cell::liveValue(TimePoint now) const {
    if (m_fixed) {
        return *m_fixed;
    }
    const double t = std::chrono::duration<double>(now - m_start).count();
    const double k = m_number;
    double v = 0.0;
    if (m_motion == Motion::Ramp) {
        v = 100.0 * k + k * t;
    } else {
        // Period 3 + k seconds and phase 0.9 k rad keep the cells apart at every instant.
        v = 100.0 * k + 10.0 * std::sin(2.0 * std::numbers::pi * t / (3.0 + k) + 0.9 * k);
    }
    return m_kind == ValueKind::Count ? std::round(v * kCountsPerUnit) : v;
}

double Cell::value(TimePoint now) const {
    return m_latched ? m_latchedValue : liveValue(now);
}

std::uint32_t Cell::valueWords(double value) const {
    if (m_kind == ValueKind::Float) {
        return std::bit_cast<std::uint32_t>(static_cast<float>(value));
    }
    const double clamped = std::clamp(std::round(value), double{INT32_MIN}, double{INT32_MAX});
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(clamped));
}

std::uint32_t Cell::ratedOutputWords() const {
    return m_kind == ValueKind::Float ? std::bit_cast<std::uint32_t>(kRatedOutputFloat)
                                      : static_cast<std::uint32_t>(kRatedOutputCount);
}

void Cell::readInputRegisters(std::size_t start, TimePoint now,
                              std::span<std::uint16_t> out) const {
    std::array<std::uint16_t, kTableSize> map = m_inputPlain;
    // One instant for the whole reply, so both words of the value belong together.
    const std::uint32_t measured = valueWords(value(now));
    map[reg::kMeasured] = high(measured);
    map[reg::kMeasured + 1] = low(measured);
    map[reg::kStatus] = m_latched ? kStatusLatched : 0;
    const auto capacity = std::bit_cast<std::uint32_t>(kRatedCapacity);
    map[reg::kCapacity] = high(capacity);
    map[reg::kCapacity + 1] = low(capacity);
    map[reg::kSerial] = high(m_serial);
    map[reg::kSerial + 1] = low(m_serial);
    putText(m_texts.model, map, reg::kModel, 0);
    putText(m_texts.maker, map, reg::kMaker, 0);
    map[reg::kTemperature] = static_cast<std::uint16_t>(m_temperature);
    const std::uint32_t rated = ratedOutputWords();
    map[reg::kRatedOutput] = high(rated);
    map[reg::kRatedOutput + 1] = low(rated);
    std::copy_n(map.begin() + static_cast<std::ptrdiff_t>(start), out.size(), out.begin());
}

void Cell::readHoldingRegisters(std::size_t start, std::span<std::uint16_t> out) const {
    std::array<std::uint16_t, kTableSize> map = m_holdingPlain;
    map[reg::kHoldAddress] = m_address;
    map[reg::kHoldSerial] = high(m_serial);
    map[reg::kHoldSerial + 1] = low(m_serial);
    map[reg::kHoldBaud] = m_baudSetting;
    std::copy_n(map.begin() + static_cast<std::ptrdiff_t>(start), out.size(), out.begin());
}

WriteResult Cell::writeHoldingRegisters(std::size_t start, std::span<const std::uint16_t> values) {
    // Check everything first: a refused write changes nothing.
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t r = start + i;
        if (r == reg::kHoldSerial || r == reg::kHoldSerial + 1) {
            return WriteResult::IllegalAddress; // the serial number is read-only
        }
        if (r == reg::kHoldAddress && (values[i] < 1 || values[i] > 247)) {
            return WriteResult::IllegalValue;
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t r = start + i;
        if (r == reg::kHoldAddress) {
            m_address = static_cast<std::uint8_t>(values[i]);
        } else if (r == reg::kHoldBaud) {
            m_baudSetting = values[i];
        } else {
            m_holdingPlain[r] = values[i];
        }
    }
    return WriteResult::Ok;
}

void Cell::writeCoil(std::size_t index, bool on, TimePoint now) {
    if (index == reg::kSyncCoil) {
        if (on) {
            m_latchedValue = liveValue(now);
        }
        m_latched = on;
    }
    m_coils[index] = on;
}

} // namespace dlcsim
