// The port a control uses while no serial implementation is linked in: it never opens, so
// every request completes with Result 1280 (and modem requests with modem result 1280).
#pragma once

#include "engine/TransactionPort.h"

#include <mutex>

namespace tavrin {

class UnavailablePort final : public TransactionPort {
public:
    void lock() override { m_lock.lock(); }
    void unlock() override { m_lock.unlock(); }
    bool ensurePortOpen(const PortSetup&) override { return false; }
    std::uint16_t runTransaction(const TransactionRequest&, DataArea&, std::int16_t&,
                                 const std::atomic<bool>&) override {
        return RES_AX_COMM_OPEN;
    }
    void disconnect() override {}

private:
    std::recursive_mutex m_lock;
};

} // namespace tavrin
