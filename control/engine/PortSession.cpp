#include "engine/PortSession.h"

#include "commport/PortName.h"
#include "tavrin/TavrinEnums.h"

namespace tavrin {

PortSession::~PortSession() {
    disconnect();
}

void PortSession::requestReopen() {
    std::lock_guard guard(m_mutex);
    m_flags.reopenPort = true;
}

void PortSession::requestReapply() {
    std::lock_guard guard(m_mutex);
    m_flags.reapplySettings = true;
}

bool PortSession::ensurePortOpen(const PortSettings& port, PortRequestFlags changes) {
    std::lock_guard guard(m_mutex);
    m_flags.reopenPort = m_flags.reopenPort || changes.reopenPort;
    m_flags.reapplySettings = m_flags.reapplySettings || changes.reapplySettings;
    if (m_flags.reopenPort) {
        // EnsurePortOpen keeps the old name when the new one is refused; the control must
        // not then quietly talk on the port it was told to leave. Refuse until a good name.
        m_nameRefused = !portNameFrom(port.adapterPrefix, port.adapter);
    }
    if (m_nameRefused) {
        m_flags.reopenPort = false;
        m_port.close();
        return false;
    }
    return EnsurePortOpen(m_port, m_flags, port.adapterPrefix, port.adapter, port.commSettings);
}

std::uint16_t PortSession::runTransaction(const Transaction& transaction, DataArea& data,
                                          std::int16_t& memQty, int stopFd) {
    return runOnLine([&](CommPort& port) {
        return RunTransaction(port, transaction, m_codec, data, memQty, stopFd);
    });
}

std::uint16_t PortSession::runOnLine(const std::function<TransactionOutcome(CommPort&)>& exchange) {
    std::lock_guard guard(m_mutex);
    TransactionOutcome outcome;
    {
        NamedMutexGuard line = m_port.lockPort();
        if (!line.owns()) {
            return RES_AX_COMM_OPEN;
        }
        outcome = exchange(m_port);
    }
    if (outcome.portLost) {
        // Outside the port lock: closing may wait for another sharer to take ownership.
        m_port.close();
    }
    return outcome.result;
}

std::uint16_t PortSession::run(const PortSettings& port, const Transaction& transaction,
                               DataArea& data, std::int16_t& memQty, int stopFd) {
    std::lock_guard guard(m_mutex);
    if (!ensurePortOpen(port)) {
        return RES_AX_COMM_OPEN;
    }
    return runTransaction(transaction, data, memQty, stopFd);
}

std::uint16_t PortSession::syncRefresh(const PortSettings& port, const Transaction& transaction,
                                       DataArea& data, std::int16_t& memQty) {
    return run(port, transaction, data, memQty, -1);
}

void PortSession::disconnect() {
    std::lock_guard guard(m_mutex);
    m_port.close();
}

} // namespace tavrin
