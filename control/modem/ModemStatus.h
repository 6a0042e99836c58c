// Where the control reads the modem's lines while a call is up. By default the port's own
// lines (TIOCMGET: CTS, DSR, RI and DCD of an RS-232 port or a USB adapter that has them);
// a line without modem lines, such as a pseudo-terminal, reads as all off. A test puts a
// source of its own here to play a modem's lines on such a line.
#pragma once

#include "commport/SerialDevice.h"

#include <cstdint>
#include <memory>

namespace tavrin {
class CommPort;
}

namespace tavrin::modem {

// enumTavrinModemStatus bits of the lines.
std::uint8_t statusBits(const ModemLines& lines);

class ModemStatusSource {
public:
    virtual ~ModemStatusSource() = default;
    // enumTavrinModemStatus bits. Called on the communications thread with the port's
    // session locked, so the port is not closed meanwhile.
    virtual std::uint8_t read(const CommPort& port) = 0;
};

std::unique_ptr<ModemStatusSource> portModemStatus();

} // namespace tavrin::modem
