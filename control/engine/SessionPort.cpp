#include "engine/SessionPort.h"

#include "modem/ModemDialogue.h"

namespace tavrin {

SessionPort::SessionPort(modem::ModemTimings timings,
                         std::unique_ptr<modem::ModemStatusSource> status)
    : m_timings(timings), m_status(status ? std::move(status) : modem::portModemStatus()) {}

bool SessionPort::ensurePortOpen(const PortSetup& setup) {
    const PortSettings where{setup.adapterPrefix, setup.adapter, setup.commSettings};
    return m_session.ensurePortOpen(where,
                                    PortRequestFlags{setup.reopenPort, setup.reapplySettings});
}

std::uint16_t SessionPort::runTransaction(const TransactionRequest& request, DataArea& data,
                                          std::int16_t& memQty, const StopSignal& stop) {
    Transaction transaction;
    transaction.request.function = request.function;
    transaction.request.nodeAddress = request.nodeAddress;
    transaction.request.memStart = request.memStart;
    transaction.request.memQty = request.memQty;
    transaction.request.addressType = request.addressType;
    transaction.request.dataMode = request.dataMode;
    transaction.timeoutTrans = request.timeoutTrans;
    transaction.frames = request.frames;
    return m_session.runTransaction(transaction, data, memQty, stop.fd());
}

std::uint16_t SessionPort::dial(const modem::DialCommands& commands, modem::ModemCancel& cancel,
                                const StopSignal& stop) {
    return m_session.runOnLine([&](CommPort& port) {
        modem::ModemDialogue dialogue(port, m_timings, cancel, stop);
        const std::uint16_t result = dialogue.dial(commands);
        return TransactionOutcome{result, dialogue.portLost()};
    });
}

std::uint16_t SessionPort::hangup(modem::ModemCancel& cancel, const StopSignal& stop) {
    return m_session.runOnLine([&](CommPort& port) {
        modem::ModemDialogue dialogue(port, m_timings, cancel, stop);
        const std::uint16_t result = dialogue.hangup();
        return TransactionOutcome{result, dialogue.portLost()};
    });
}

std::uint8_t SessionPort::modemStatus() {
    // Under the session's lock only: reading the lines puts nothing on the line, so it need
    // not wait for another sharer's exchange (which may be a dial without time limit).
    std::lock_guard guard(m_session);
    return m_status->read(m_session.port());
}

} // namespace tavrin
