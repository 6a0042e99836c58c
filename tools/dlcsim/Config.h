// What one dlcsim run simulates, as read from the command line.
#pragma once

#include "ModemConfig.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dlcsim {

enum class Framing { Rtu, Ascii };
enum class ValueKind { Float, Count };
enum class Motion { Sine, Ramp };
enum class Parity { None, Even, Odd };

struct LineSettings {
    int baud = 38400;
    Parity parity = Parity::Even;
    int dataBits = 8;
    int stopBits = 1;
};

struct CellSettings {
    std::uint32_t serial = 0;
    std::uint8_t address = 0; // 0: not assigned yet, answers broadcasts only
    std::optional<double> fixedValue;
};

enum class Table { Coils, Inputs, InputRegisters, HoldingRegisters };

// Contents given on the command line for registers or bits outside the register map.
struct Preset {
    int cell = 0; // 1-based cell number; 0 = every cell
    Table table = Table::HoldingRegisters;
    std::size_t start = 0;             // protocol address (reference minus x0001)
    std::vector<std::uint16_t> values; // words, or 0 and 1 for coils and inputs
};

enum class FaultKind { Drop, Crc, Garbage, Delay, Exception };

struct FaultRule {
    FaultKind kind = FaultKind::Drop;
    double probability = 1.0;
    int delayMs = 0;                // Delay only
    std::uint8_t exceptionCode = 0; // Exception only
    int cell = 0;                   // 1-based cell number; 0 = every cell
};

struct Config {
    std::string linkName;   // --link
    std::string devicePath; // --device
    LineSettings line;
    Framing framing = Framing::Rtu;
    ValueKind valueKind = ValueKind::Float;
    Motion motion = Motion::Sine;
    std::vector<CellSettings> cells;
    std::string model = "DLCSIM-500K";
    std::string maker = "dlcsim simulated load cell";
    bool lineTiming = false;
    bool echo = false; // --fault echo: a two-wire adapter that hands the master its own bytes
    std::vector<FaultRule> faults;
    std::vector<Preset> presets;
    std::vector<std::int16_t> temperatures; // hundredths of a degree per cell; none: 20 + n/4
    std::uint64_t seed = 1;
    std::string logPath;
    ModemConfig modem; // --modem and --modem-*
};

} // namespace dlcsim
