// Where the test tab's text link is between events: received commands waiting for their
// answer and the answer in progress. Answers run on timers, never in a wait, so that however
// fast commands come the Modbus side keeps its pace and no handler nests in another.
#pragma once

#include "comm/TextCommands.h"

#include <QString>
#include <deque>
#include <optional>

class QTimer;

namespace torvik::screens::comm {

struct TestLinkState {
    // Commands received and not yet answered at most; a peer that sends faster than the
    // answers go out loses its oldest unanswered commands.
    static constexpr std::size_t kMaxWaiting = 8;

    enum class Step {
        Idle,
        CommandShown, // the command's label is highlighted
        Waiting,      // the rest of the response delay
        ResponseSent, // the response's label is highlighted
    };

    // Single-shot timers, owned by the screen.
    QTimer* gather = nullptr;   // the pause that lets a command arrive whole
    QTimer* fragment = nullptr; // how long the start of a command waits for its rest
    QTimer* step = nullptr;     // the answer's next step

    torvik::comm::CommandAssembler assembler;
    std::deque<QString> waiting;
    Step now = Step::Idle;
    std::optional<int> entry; // of the command being answered
    long dropped = 0;         // commands lost to a full queue since the port opened
    QString sendData;         // the data text: MakeSendData's last output
};

} // namespace torvik::screens::comm
