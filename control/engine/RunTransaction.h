// One request/reply exchange on an open port.
#ifndef TAVRIN_ENGINE_RUNTRANSACTION_H
#define TAVRIN_ENGINE_RUNTRANSACTION_H

#include "commport/CommPort.h"
#include "ctrl/DataArea.h"
#include "engine/Transaction.h"
#include "frame/CodecState.h"

#include <cstdint>

namespace tavrin {

struct TransactionOutcome {
    std::uint16_t result = 0;
    // The device went away (hang-up, I/O error) or failed in a way that leaves it unusable:
    // the caller closes the port so that the next transaction opens it afresh.
    bool portLost = false;
};

// The caller holds the port lock. Builds the request from `transaction` and the data area,
// waits until the line has been silent long enough, writes the frame within TimeoutTrans,
// then reads until the reply is whole or TimeoutTrans has passed since the write ended.
// A good reply fills the data area (and may change memQty). A readable stopFd ends the reply
// wait at once with RES_AX_TERMINATION_REQUESTED; -1: no stop.
TransactionOutcome RunTransaction(CommPort& port, const Transaction& transaction,
                                  frame::CodecState& codec, DataArea& data, std::int16_t& memQty,
                                  int stopFd);

} // namespace tavrin

#endif
