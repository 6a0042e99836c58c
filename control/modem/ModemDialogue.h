// The Hayes dialogue that dials and hangs up a modem on an open port: commands out, answer
// words back, with the waits the modem needs between them. The caller holds the port lock
// for a whole procedure, so no frame of another sharer lands in the middle of it.
#pragma once

#include "modem/DialCommands.h"
#include "modem/ModemCancel.h"
#include "modem/ModemTimings.h"
#include "modem/Wake.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrin {
class CommPort;
class StopSignal;
} // namespace tavrin

namespace tavrin::modem {

class ModemDialogue {
public:
    // `stop`: the communications thread's. Once it is raised every answer wait ends as
    // cancelled and every fixed wait is cut short, so that a control being destroyed is not
    // held up (DTR still drops at the end of the hang-up).
    ModemDialogue(CommPort& port, const ModemTimings& timings, ModemCancel& cancel,
                  const StopSignal& stop);

    // Escape, "AT", the initialisation strings, the dial command and the wait for
    // "CONNECT" (no time limit: ModemCancel ends it). 0 once connected; otherwise the modem
    // result of the first step that failed, after the modem was hung up again.
    std::uint16_t dial(const DialCommands& commands);

    // Escape, "ATH0" and the wait for its "OK"; DTR and RTS lowered at the end whatever
    // happened. 0 on "OK".
    std::uint16_t hangup();

    // The device went away during the dialogue: the caller closes the port.
    bool portLost() const { return m_portLost; }

private:
    std::uint16_t dialSteps(const DialCommands& commands);
    bool send(std::string_view command);
    // No limit: waits until an answer, a cancel or the stop.
    std::uint16_t waitFor(std::string_view word, std::optional<std::chrono::milliseconds> limit);
    void pause(std::chrono::milliseconds duration) const;
    void setLines(bool on);

    CommPort& m_port;
    const ModemTimings& m_timings;
    ModemCancel& m_cancel;
    const StopSignal& m_stop;
    AnyReadable m_wake; // cancel or stop: ends an answer wait's read at once
    bool m_portLost = false;
};

} // namespace tavrin::modem
