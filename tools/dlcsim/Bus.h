// The device model: a bus of load cells answering Modbus requests. Bytes in, bytes out,
// no I/O; the framing layer has already checked and removed the checksum.
#pragma once

#include "Cell.h"
#include "Clock.h"
#include "Config.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dlcsim {

struct Outcome {
    std::vector<std::uint8_t> reply; // address and PDU, no checksum; empty: nothing to send
    int cell = 0;                    // number of the cell that answers (1-based), 0 if none
    bool broadcast = false;
    bool malformed = false; // checksum right, but not a request a slave can take
    std::string verdict;    // what the bus made of the request, for the log
};

class Bus {
public:
    Bus(const Config& config, TimePoint start);

    // message: address byte, function code and data, as checked by the framing.
    Outcome handle(std::span<const std::uint8_t> message, TimePoint now);

    std::span<Cell> cells() { return m_cells; }
    std::span<const Cell> cells() const { return m_cells; }

private:
    Outcome unicast(Cell& cell, std::span<const std::uint8_t> message, TimePoint now);
    Outcome broadcast(std::span<const std::uint8_t> pdu, TimePoint now);

    std::vector<Cell> m_cells;
};

} // namespace dlcsim
