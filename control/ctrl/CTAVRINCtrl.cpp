#include "ctrl/CTAVRINCtrl.h"

#include "ctrl/DispIds.h"
#include "engine/SessionPort.h"
#include "tavrin/TavrinEnums.h"

#include <algorithm>
#include <chrono>

namespace tavrin {

namespace {

// Functions every reference convention can address; the others make no sense with the
// Enron convention's 32-bit register numbering and are refused with it.
bool functionAllowed(std::int16_t function, std::int16_t addressType) {
    switch (function) {
    case 1:
    case 3:
    case 5:
    case 6:
    case 15:
    case 16:
        return true;
    default:
        return addressType != ADDR_TYPE_ENRON_MODBUS;
    }
}

} // namespace

std::unique_ptr<CTAVRINCtrl> CTAVRINCtrl::create(ControlEnvironment environment) {
    auto queue = NotifyQueue::forCurrentThread();
    if (!queue) {
        return nullptr;
    }
    auto port = environment.makePort ? environment.makePort() : std::make_unique<SessionPort>();
    return std::unique_ptr<CTAVRINCtrl>(
        new CTAVRINCtrl(std::move(queue), std::move(port), std::move(environment.launchThread)));
}

CTAVRINCtrl::CTAVRINCtrl(std::shared_ptr<NotifyQueue> queue, std::unique_ptr<TransactionPort> port,
                         ThreadLauncher launcher)
    : m_queue(std::move(queue)), m_port(std::move(port)), m_thread(*this, std::move(launcher)) {
    m_notifyHandle = m_queue->attach(*this);
    updateAutoPoll();
}

CTAVRINCtrl::~CTAVRINCtrl() {
    m_thread.stop();
    m_queue->detach(m_notifyHandle);
    std::lock_guard portLock(*m_port);
    m_port->disconnect();
}

bool CTAVRINCtrl::threadReady() {
    const auto wait = std::chrono::milliseconds(std::max<std::int16_t>(m_props.timeoutTrans, 0));
    return m_thread.ensureStarted(wait) == CommThread::Start::Ready;
}

bool CTAVRINCtrl::fire(automation::DispId event, std::int32_t value) {
    if (m_sink == nullptr) {
        return true;
    }
    const std::weak_ptr<int> alive = m_alive;
    const auto arg = automation::Variant::i2(static_cast<std::int16_t>(value));
    m_sink->onEvent(event, std::span(&arg, 1));
    return !alive.expired();
}

void CTAVRINCtrl::AsyncRefresh() {
    if (!m_props.enabled) {
        return;
    }
    if (!threadReady()) {
        m_result = RES_AX_COMM_THREAD_NOT_READY;
        if (fire(dispid::Complete, m_result)) {
            m_busy.store(false);
        }
        return;
    }
    bool idle = false;
    if (!m_busy.compare_exchange_strong(idle, true)) {
        m_result = TAVRIN_RESULT_DEVICE_BUSY;
        return;
    }
    m_thread.resume();
    if (!functionAllowed(m_props.function, m_props.addressType)) {
        m_result = RES_AX_INVALID_FUNCTION;
        if (fire(dispid::Complete, m_result)) {
            m_busy.store(false);
            m_thread.busyReleased();
        }
        return;
    }
    m_thread.request(CommRequest::Transaction);
}

void CTAVRINCtrl::SyncRefresh() {
    if (!m_props.enabled) {
        return;
    }
    bool idle = false;
    if (!m_busy.compare_exchange_strong(idle, true)) {
        m_result = TAVRIN_RESULT_DEVICE_BUSY;
        return;
    }
    m_result = static_cast<std::int16_t>(transact(Path::Sync, m_thread.stopSignal()));
    m_busy.store(false);
    m_thread.busyReleased();
}

void CTAVRINCtrl::Disconnect() {
    if (m_busy.load()) {
        return;
    }
    m_thread.pause();
    // Under the port lock: an auto-poll that slipped in before the pause finishes first.
    std::lock_guard portLock(*m_port);
    m_port->disconnect();
}

// Neither procedure waits for Enabled or for the end of the Disconnect pause: held back, it
// would keep Busy True, after Disconnect for good (only AsyncRefresh lifts the pause, and it
// is refused while Busy).
void CTAVRINCtrl::ModemDial(modem::DialCommands commands) {
    if (!threadReady()) {
        fire(dispid::DialComplete, RES_AX_COMM_THREAD_NOT_READY);
        return;
    }
    if (m_busy.load()) {
        m_result = TAVRIN_RESULT_DEVICE_BUSY;
        return;
    }
    if (m_modemConnected) {
        return;
    }
    bool idle = false;
    if (!m_busy.compare_exchange_strong(idle, true)) {
        m_result = TAVRIN_RESULT_DEVICE_BUSY; // an auto-poll took it in between
        return;
    }
    {
        std::lock_guard lock(m_stateMutex);
        m_dial = std::move(commands);
    }
    // A cancel given while no procedure ran was meant for none: left set, it would end
    // this dial's first answer wait at once. One given from here on is this dial's.
    m_modemCancel.consume();
    m_thread.request(CommRequest::Dial);
}

void CTAVRINCtrl::ModemHangup() {
    if (!threadReady()) {
        fire(dispid::HangupComplete, RES_AX_COMM_THREAD_NOT_READY);
        return;
    }
    bool idle = false;
    if (!m_busy.compare_exchange_strong(idle, true)) {
        m_result = TAVRIN_RESULT_DEVICE_BUSY;
        return;
    }
    m_modemCancel.consume(); // as for ModemDial
    m_thread.request(CommRequest::Hangup);
}

void CTAVRINCtrl::ModemCancel() {
    m_modemCancel.raise();
}

PortSetup CTAVRINCtrl::takePortSetup() {
    std::lock_guard lock(m_stateMutex);
    return PortSetup{m_props.adapterPrefix, m_props.adapter, m_props.commSettings,
                     std::exchange(m_reopenPort, false), std::exchange(m_reapplySettings, false)};
}

std::uint16_t CTAVRINCtrl::transact(Path path, const StopSignal& stop) {
    // The properties are read once the port is ours, as they are at that moment.
    std::lock_guard portLock(*m_port);
    if (!m_port->ensurePortOpen(takePortSetup())) {
        return RES_AX_COMM_OPEN;
    }
    TransactionRequest request;
    DataArea data;
    {
        std::lock_guard lock(m_stateMutex);
        request = TransactionRequest{m_props.function,    m_props.nodeAddress, m_props.memStart,
                                     m_props.memQty,      m_props.addressType, m_props.dataMode,
                                     m_props.timeoutTrans};
        data = m_data;
    }
    request.frames = m_queue->frameTap();
    const bool refused = path == Path::Async
                             ? (request.function == FUNC_MB_ILLEGAL_FUNCTION ||
                                request.function == FUNC_MB_CUSTOM_FUNCTION)
                             : !functionAllowed(request.function, request.addressType);
    if (refused) {
        return RES_AX_INVALID_FUNCTION;
    }
    std::int16_t memQty = request.memQty;
    const DataArea before = data;
    const std::uint16_t result = m_port->runTransaction(request, data, memQty, stop);
    // Only what the reply changed is written back, so a host write to another part of the
    // area during the exchange is kept.
    std::lock_guard lock(m_stateMutex);
    if (data.bytes() != before.bytes()) {
        m_data.bytes() = data.bytes();
    }
    if (memQty != request.memQty) {
        m_props.memQty = memQty;
    }
    return result;
}

bool CTAVRINCtrl::beginAutoPoll() {
    bool idle = false;
    return m_busy.compare_exchange_strong(idle, true);
}

void CTAVRINCtrl::serve(CommRequest request, const StopSignal& stop) {
    switch (request) {
    case CommRequest::Transaction:
        m_queue->post(m_notifyHandle, NotifyCode::TransactionComplete, transact(Path::Async, stop));
        return;
    case CommRequest::Dial:
    case CommRequest::Hangup: {
        const bool dial = request == CommRequest::Dial;
        modem::DialCommands commands;
        {
            std::lock_guard lock(m_stateMutex);
            commands = m_dial;
        }
        std::uint16_t modemResult = RES_AX_COMM_OPEN;
        std::optional<std::uint8_t> changed;
        {
            std::lock_guard portLock(*m_port);
            if (m_port->ensurePortOpen(takePortSetup())) {
                modemResult = dial ? m_port->dial(commands, m_modemCancel, stop)
                                   : m_port->hangup(m_modemCancel, stop);
                // Both procedures end by reading the lines.
                changed = noteModemStatus(m_port->modemStatus());
            }
        }
        m_queue->post(m_notifyHandle, dial ? NotifyCode::DialComplete : NotifyCode::HangupComplete,
                      modemResult);
        // After the completion, so that the host learns of the call's end before the lines.
        if (changed) {
            m_queue->post(m_notifyHandle, NotifyCode::ModemStatusChanged, *changed);
        }
        return;
    }
    case CommRequest::None:
        return;
    }
}

std::optional<std::uint8_t> CTAVRINCtrl::noteModemStatus(std::uint8_t status) {
    if (status == m_modemStatus) {
        return std::nullopt;
    }
    m_modemStatus = status;
    return status;
}

void CTAVRINCtrl::watchModem() {
    {
        std::lock_guard lock(m_stateMutex);
        if (!m_props.enabled) {
            return;
        }
    }
    std::uint8_t status = 0;
    {
        std::lock_guard portLock(*m_port);
        status = m_port->modemStatus();
    }
    // Each change travels with its own value: a carrier that drops and comes back before
    // the host pumps still shows as two changes.
    if (const auto changed = noteModemStatus(status)) {
        m_queue->post(m_notifyHandle, NotifyCode::ModemStatusChanged, *changed);
    }
}

void CTAVRINCtrl::onNotify(NotifyCode code, std::int32_t value) {
    switch (code) {
    case NotifyCode::TransactionComplete:
        m_result = static_cast<std::int16_t>(value);
        // Busy still reads True inside the handler; it is released once the handler returns.
        if (!fire(dispid::Complete, value)) {
            return;
        }
        break;
    case NotifyCode::DialComplete:
    case NotifyCode::HangupComplete: {
        const bool dialled = code == NotifyCode::DialComplete;
        m_modemConnected = dialled && value == 0;
        m_thread.setModemWatch(m_modemConnected);
        // Busy reads False inside the modem events, so the host may dial or hang up again
        // from there; a request made there owns Busy from then on.
        m_busy.store(false);
        if (fire(dialled ? dispid::DialComplete : dispid::HangupComplete, value)) {
            m_thread.busyReleased();
        }
        return;
    }
    case NotifyCode::ModemStatusChanged:
        // Without carrier detect the call is over, already inside the event: a host that
        // dials again from its handler is not refused as still connected.
        if ((static_cast<unsigned>(value) & MS_RLSD_ON) == 0) {
            m_modemConnected = false;
            m_thread.setModemWatch(false);
        }
        fire(dispid::ModemStatusChange, value);
        return; // Busy belongs to whatever request runs meanwhile
    case NotifyCode::UnsolicitedMessage:
        return;
    }
    m_busy.store(false);
    m_thread.busyReleased();
}

} // namespace tavrin
