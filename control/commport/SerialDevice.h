// One open serial device: every system call on it is made here, once, with EINTR retried
// and errno turned into DeviceError in one place.
#ifndef TAVRIN_COMMPORT_SERIALDEVICE_H
#define TAVRIN_COMMPORT_SERIALDEVICE_H

#include "commport/CommSettings.h"
#include "portshare/UniqueFd.h"

#include <chrono>
#include <cstddef>
#include <span>
#include <string>

namespace tavrin {

enum class DeviceError {
    None,
    NotFound,     // no such device (or a dangling ports-folder link)
    Busy,         // somebody else has it exclusively
    HangUp,       // the other side is gone: pty closed, adapter pulled
    NotSupported, // the driver has no such function
    Invalid,      // settings the device refuses, or not a terminal at all
    Other
};

enum class IoStatus {
    Ok,
    TimedOut, // the deadline passed first
    Failed,
    HangUp,   // the device went away: close the port and open it again later
    Cancelled // the cancel descriptor became readable
};

struct IoResult {
    IoStatus status = IoStatus::Ok;
    std::size_t bytes = 0; // bytes moved, also when the call did not finish
};

enum class PurgeKind {
    All,          // discard both directions
    Receive,      // discard received bytes not yet read
    Transmit,     // discard bytes not yet sent
    TransmitClear // same as Transmit here: no write is ever left pending to abort
};

enum class ModemLine { Dtr, Rts };

// The lines a modem drives towards us.
struct ModemLines {
    bool cts = false;
    bool dsr = false;
    bool ring = false;
    bool carrier = false; // carrier detect (DCD, RLSD)
};

class SerialDevice {
public:
    using Clock = std::chrono::steady_clock;

    SerialDevice() = default;
    SerialDevice(SerialDevice&&) noexcept = default;
    SerialDevice& operator=(SerialDevice&&) noexcept = default;

    // Opens the device non-blocking without becoming its controlling terminal, for this
    // open file alone: flock(LOCK_EX|LOCK_NB) (Busy when held, in this process too) plus
    // TIOCEXCL against plain opens by other programs.
    DeviceError openExclusive(const std::string& path);

    // Takes a descriptor obtained from the port's owner, after checking that it is the
    // terminal `path` leads to (a stale record may name a descriptor that is now another file).
    DeviceError adopt(UniqueFd fd, const std::string& path);

    // Closes this descriptor. With discardOutput, unsent output of a serial device is dropped
    // first, so that the last close of the device cannot block draining it; never pass it
    // while another sharer may be sending, whose frame would be cut. (A pseudo-terminal keeps
    // its output: its close does not wait, and its far side may not have read it yet.)
    void close(bool discardOutput = false);

    bool isOpen() const { return m_fd.valid(); }
    int handle() const { return m_fd.get(); }
    bool isPseudoTerminal() const { return m_pseudoTerminal; }

    // Raw mode with the given line settings, DTR raised, the driver's RS-485 direction control
    // (RTS on while sending) and its low-latency mode where it has them.
    DeviceError configure(const CommSettings& settings);
    // Sets rate and framing only when they differ from the device's.
    DeviceError applyLineSettings(const CommSettings& settings);

    DeviceError purge(PurgeKind kind);
    DeviceError setModemLine(ModemLine line, bool on);
    // All off where the device has no modem lines (a pseudo-terminal, a two-wire adapter)
    // or has gone: no carrier is what such a line tells.
    ModemLines modemLines() const;

    // Writes every byte or stops at the deadline. cancelFd < 0: none.
    IoResult writeAll(std::span<const std::byte> data, Clock::time_point deadline, int cancelFd);
    // Returns as soon as at least one byte is there, with as many as are there (up to the
    // buffer's size).
    IoResult readSome(std::span<std::byte> buffer, Clock::time_point deadline, int cancelFd);

    // Bytes written but not yet sent by the driver (0 when it cannot tell).
    std::size_t outputPending() const;

    // errno of the last failing call, for diagnostics.
    int lastErrno() const { return m_lastErrno; }

private:
    DeviceError noteError(int err);

    UniqueFd m_fd;
    bool m_pseudoTerminal = false;
    bool m_madeExclusive = false; // by this open, not an adopted descriptor
    int m_lastErrno = 0;
};

} // namespace tavrin

#endif
