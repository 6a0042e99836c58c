// The control's port on the real serial side: a PortSession (the port opened as owner or
// shared as guest, the transaction under the line lock) behind the seam the control's
// threads call, with the modem dialogue on the same line.
#pragma once

#include "engine/PortSession.h"
#include "engine/TransactionPort.h"
#include "modem/ModemStatus.h"
#include "modem/ModemTimings.h"

#include <memory>

namespace tavrin {

class SessionPort final : public TransactionPort {
public:
    // `status` nullptr: the port's own modem lines.
    explicit SessionPort(modem::ModemTimings timings = {},
                         std::unique_ptr<modem::ModemStatusSource> status = nullptr);

    void lock() override { m_session.lock(); }
    void unlock() override { m_session.unlock(); }
    bool ensurePortOpen(const PortSetup& setup) override;
    std::uint16_t runTransaction(const TransactionRequest& request, DataArea& data,
                                 std::int16_t& memQty, const StopSignal& stop) override;
    std::uint16_t dial(const modem::DialCommands& commands, modem::ModemCancel& cancel,
                       const StopSignal& stop) override;
    std::uint16_t hangup(modem::ModemCancel& cancel, const StopSignal& stop) override;
    std::uint8_t modemStatus() override;
    void disconnect() override { m_session.disconnect(); }

    const PortSession& session() const { return m_session; }

private:
    PortSession m_session;
    modem::ModemTimings m_timings;
    std::unique_ptr<modem::ModemStatusSource> m_status;
};

} // namespace tavrin
