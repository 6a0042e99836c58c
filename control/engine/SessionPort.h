// The control's port on the real serial side: a PortSession (the port opened as owner or
// shared as guest, the transaction under the line lock) behind the seam the control's
// threads call. Modem procedures keep the seam's refusal until a modem is implemented.
#pragma once

#include "engine/PortSession.h"
#include "engine/TransactionPort.h"

namespace tavrin {

class SessionPort final : public TransactionPort {
public:
    void lock() override { m_session.lock(); }
    void unlock() override { m_session.unlock(); }
    bool ensurePortOpen(const PortSetup& setup) override;
    std::uint16_t runTransaction(const TransactionRequest& request, DataArea& data,
                                 std::int16_t& memQty, const StopSignal& stop) override;
    void disconnect() override { m_session.disconnect(); }

    const PortSession& session() const { return m_session; }

private:
    PortSession m_session;
};

} // namespace tavrin
