// Fixtures for the modem tests over pseudo-terminals: dlcsim's emulated modem in front of a
// simulated bus, and a control that dials it with the waits shortened to match the
// emulator's guard time, reading the emulator's lines in place of the pty's (which has none).
#pragma once

#include "ControlTestSupport.h"
#include "EngineTestSupport.h"
#include "engine/SessionPort.h"
#include "modem/ModemStatus.h"

#include <memory>
#include <string>
#include <vector>

namespace tavrin::test {

// The emulator's escape guard time, and the control's waits around it: the guard before and
// after "+++" is three times the emulator's, so that a busy machine does not turn the escape
// into data. An answer that does not come is given up after half a second (2 s in the
// control); the hang-up after one second (20 s).
inline constexpr int kModemGuardMs = 100;
modem::ModemTimings shortModemTimings();

// The lines as `dlcsim --modem-lines FILE` writes them ("cts=1 dsr=1 ri=0 dcd=1").
class LinesFileStatus final : public modem::ModemStatusSource {
public:
    explicit LinesFileStatus(std::string path) : m_path(std::move(path)) {}
    std::uint8_t read(const CommPort& port) override;

private:
    std::string m_path;
};

// dlcsim with two cells (values 104.5 and -3.25) behind an emulated modem on port 1 of its
// own ports folder, with the modem's log and lines beside the links.
class EmulatedModem {
public:
    explicit EmulatedModem(std::vector<std::string> extra = {}, int connectDelayMs = 100);

    bool ready() const { return m_bus->ready(); }
    const PortsFolder& folder() const { return m_folder; }
    const std::string& logPath() const { return m_log; }
    const std::string& linesPath() const { return m_lines; }
    dlcsim::test::Simulator& bus() { return *m_bus; }

    // What the modem received, in order ("+++", "AT", ...), from its log.
    std::vector<std::string> commands() const;
    // Waits until the log holds a line containing `text`.
    bool waitForLog(const std::string& text, std::chrono::milliseconds timeout = 10s) const;

private:
    PortsFolder m_folder;
    std::string m_log;
    std::string m_lines;
    std::unique_ptr<dlcsim::test::Simulator> m_bus;
};

// A control on the emulator's port, set up to read cell `node`'s measured value.
std::unique_ptr<CTAVRINCtrl> modemControl(const EmulatedModem& modem, Host& host,
                                          modem::ModemTimings timings = shortModemTimings(),
                                          const std::string& node = "2");

// ModemDial with the four strings.
void modemDial(CTAVRINCtrl& control, const std::string& init1 = "", const std::string& init2 = "",
               const std::string& phoneSystem = "", const std::string& number = "");

// Pumps until `n` events `id` have fired; the value of the last, as a modem result.
std::optional<std::uint16_t> waitForEvent(Host& host, automation::DispId id, std::size_t n = 1,
                                          std::chrono::milliseconds timeout = 20s);

} // namespace tavrin::test
