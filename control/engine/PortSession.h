// The serial side of one control: its port (owned, or shared with the other controls and
// processes on the same line), the port requests the control has made since the last
// transaction, the codec's memory, and the transaction itself under the port lock.
//
// Two threads may call one session: the control's communications thread and the control's
// own thread (SyncRefresh, Disconnect). The session serialises them; the port lock then
// serialises the line against every other session of every process.
#ifndef TAVRIN_ENGINE_PORTSESSION_H
#define TAVRIN_ENGINE_PORTSESSION_H

#include "commport/CommPort.h"
#include "commport/EnsurePortOpen.h"
#include "ctrl/DataArea.h"
#include "engine/PortSettings.h"
#include "engine/RunTransaction.h"
#include "engine/Transaction.h"
#include "frame/CodecState.h"

#include <cstdint>
#include <functional>
#include <mutex>

namespace tavrin {

class PortSession {
public:
    PortSession() = default;
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;
    ~PortSession(); // closes the port, handing ownership on to another sharer

    // The control's change flags: AdapterPrefix/Adapter changed (close and take the new name
    // at the next transaction), CommSettings changed (apply them then). A new session has
    // both pending.
    void requestReopen();
    void requestReapply();

    // Reopens or reapplies what was requested, then opens the port as owner or attaches as
    // guest. `changes` are added to the pending requests first (for callers that keep the
    // flags themselves). False: the port cannot be used now, the transaction's Result is
    // RES_AX_COMM_OPEN.
    bool ensurePortOpen(const PortSettings& port, PortRequestFlags changes = {false, false});

    // One transaction under the port lock, after ensurePortOpen succeeded. A device that goes
    // away during it (hang-up, I/O error: an adapter pulled out, a pty's far side closed) ends
    // it with RES_AX_COMM_OPEN, as a port that cannot be opened, and the port is closed: later
    // transactions report the same until the device is back under the port's name, and then
    // work again.
    std::uint16_t runTransaction(const Transaction& transaction, DataArea& data,
                                 std::int16_t& memQty, int stopFd = -1);

    // Any exchange on the line under the port lock, after ensurePortOpen succeeded (a modem
    // procedure; runTransaction is one too). An outcome that lost the port closes it as
    // runTransaction does. RES_AX_COMM_OPEN when the port is not open.
    std::uint16_t runOnLine(const std::function<TransactionOutcome(CommPort&)>& exchange);

    // ensurePortOpen then runTransaction: what the communications thread does per request.
    // stopFd: the thread's StopSignal (or -1).
    std::uint16_t run(const PortSettings& port, const Transaction& transaction, DataArea& data,
                      std::int16_t& memQty, int stopFd = -1);

    // The same in the calling thread, for SyncRefresh: nothing can stop it but TimeoutTrans.
    std::uint16_t syncRefresh(const PortSettings& port, const Transaction& transaction,
                              DataArea& data, std::int16_t& memQty);

    // Closes the port and leaves its sharing; the next transaction opens it again.
    void disconnect();

    // BasicLockable: holds off the session's other thread (not the line; the transaction
    // takes the port lock itself). Recursive.
    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }

    // For diagnostics and tests; call with the session locked or idle.
    const CommPort& port() const { return m_port; }
    bool isOpen() const { return m_port.isOpen(); }

private:
    std::recursive_mutex m_mutex;
    CommPort m_port;
    PortRequestFlags m_flags;   // a new control: take up the name and settings
    bool m_nameRefused = false; // the last name asked for is no port name
    frame::CodecState m_codec;
};

} // namespace tavrin

#endif
