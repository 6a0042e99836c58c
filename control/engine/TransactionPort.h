// What the communications thread and SyncRefresh need from the serial side: open the port
// as the control's properties name it, run one request/reply exchange, run the modem
// procedures and read the modem's lines, close. The serial port, port sharing and the frame codec
// sit behind it.
#pragma once

#include "ctrl/DataArea.h"
#include "engine/FrameTap.h"
#include "engine/StopSignal.h"
#include "modem/DialCommands.h"
#include "modem/ModemCancel.h"

#include <cstdint>
#include <string>

namespace tavrin {

// The port as the properties describe it, with the two change flags the control consumed
// for this request (they are cleared once handed over, whatever the outcome).
struct PortSetup {
    std::string adapterPrefix;
    std::int16_t adapter = 1;
    std::string commSettings;
    bool reopenPort = false;      // AdapterPrefix or Adapter changed: close and rename first
    bool reapplySettings = false; // CommSettings changed: apply them to the open port
};

// The transaction properties as they were when the request was served.
struct TransactionRequest {
    std::int16_t function = 1;
    std::string nodeAddress;
    std::string memStart;
    std::int16_t memQty = 1;
    std::int16_t addressType = 0;
    std::int16_t dataMode = 0;
    std::int16_t timeoutTrans = 150;
    FrameTap* frames = nullptr; // the host's frame tap, when one listens
};

class TransactionPort {
public:
    virtual ~TransactionPort() = default;

    // BasicLockable, recursive: holds off the control's other thread (SyncRefresh and
    // Disconnect on the host thread against the communications thread) from opening,
    // closing or transacting meanwhile. The line itself, one frame at a time across every
    // control and process on the port, is locked by runTransaction for its exchange.
    virtual void lock() = 0;
    virtual void unlock() = 0;

    // Called with the lock held. False: the port cannot be used (Result 1280).
    virtual bool ensurePortOpen(const PortSetup& setup) = 0;

    // Called with the lock held after ensurePortOpen succeeded. Returns the Result; a good
    // reply has filled `data` and may have changed `memQty`. Raising `stop` ends a reply
    // wait at once with 4864.
    virtual std::uint16_t runTransaction(const TransactionRequest& request, DataArea& data,
                                         std::int16_t& memQty, const StopSignal& stop) = 0;

    // The modem procedures, called like runTransaction; they return a modem result. An
    // answer wait consumes `cancel`; raising `stop` ends one as cancelled.
    virtual std::uint16_t dial(const modem::DialCommands& commands, modem::ModemCancel& cancel,
                               const StopSignal& stop) = 0;
    virtual std::uint16_t hangup(modem::ModemCancel& cancel, const StopSignal& stop) = 0;

    // The modem's lines (enumTavrinModemStatus bits), called with the lock held; all off
    // while the port is closed.
    virtual std::uint8_t modemStatus() = 0;

    // Closes the port and leaves its sharing; the next ensurePortOpen opens it again.
    virtual void disconnect() = 0;
};

} // namespace tavrin
