// The Modbus serial master control. A host sets the properties that describe one
// transaction, starts it with a refresh method and learns the outcome from Result and the
// Complete event, which fires on the thread that created the control. Everything a host
// does goes through invoke() by member number; see DispIds.h.
#pragma once

#include "automation/Control.h"
#include "ctrl/ControlProperties.h"
#include "ctrl/DataArea.h"
#include "engine/CommThread.h"
#include "engine/NotifyQueue.h"
#include "engine/TransactionPort.h"
#include "modem/DialCommands.h"
#include "modem/ModemCancel.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tavrin {

// What a control is built with; empty members take the library's defaults.
struct ControlEnvironment {
    std::function<std::unique_ptr<TransactionPort>()> makePort;
    ThreadLauncher launchThread;
};

class CTAVRINCtrl final : public automation::Control,
                          private NotifyTarget,
                          private CommThreadClient {
public:
    // nullptr when this thread has no notification queue (no descriptor left).
    static std::unique_ptr<CTAVRINCtrl> create(ControlEnvironment environment = {});

    CTAVRINCtrl(const CTAVRINCtrl&) = delete;
    CTAVRINCtrl& operator=(const CTAVRINCtrl&) = delete;
    // Stops the communications thread (a transaction in progress ends with 4864), then
    // drops completions still queued for this control. Call on the creating thread.
    ~CTAVRINCtrl() override;

    automation::Status invoke(automation::DispId id, automation::InvokeKind kind,
                              std::span<const automation::Variant> args,
                              automation::Variant& result) override;
    std::optional<automation::DispId> idOfName(std::string_view name) const override;
    std::optional<automation::DispId> eventIdOfName(std::string_view name) const override;
    void advise(automation::EventSink* sink) override { m_sink = sink; }
    void setSite(automation::ContainerSite* site) override { m_site = site; }
    void save(automation::PropertyWriter& out) override;
    automation::Status load(automation::PropertyReader& in) override;
    bool isModified() const override { return m_modified; }

private:
    CTAVRINCtrl(std::shared_ptr<NotifyQueue> queue, std::unique_ptr<TransactionPort> port,
                ThreadLauncher launcher);

    enum class Path : std::uint8_t { Async, Sync };

    // Dispatch (CTAVRINCtrlDispatch.cpp).
    automation::Status dispatchProperty(automation::DispId id, automation::InvokeKind kind,
                                        std::span<const automation::Variant> args,
                                        automation::Variant& result);
    automation::Status dispatchData(automation::DispId id, automation::InvokeKind kind,
                                    std::span<const automation::Variant> args,
                                    automation::Variant& result);
    automation::Status dispatchMethod(automation::DispId id,
                                      std::span<const automation::Variant> args,
                                      automation::Variant& result);

    // Property writes (CTAVRINCtrlProperties.cpp); each validates, stores and announces.
    automation::Status putProperty(automation::DispId id, const automation::Variant& value);
    automation::Status putAutoPollEnabled(bool value);
    automation::Status putAutoPollInterval(std::int32_t value);
    automation::Status putEnabled(bool value);
    void changed(automation::DispId id);
    void updateAutoPoll();
    bool userMode() const;
    std::string dataString() const;

    // Operations (CTAVRINCtrl.cpp).
    void AsyncRefresh();
    void SyncRefresh();
    void Disconnect();
    void ModemDial(modem::DialCommands commands);
    void ModemHangup();
    void ModemCancel();
    // Starts the thread if needed; false when it could not be made ready in time.
    bool threadReady();
    // Fires an event with one 16-bit argument; false when the handler destroyed us.
    bool fire(automation::DispId event, std::int32_t value);
    std::uint16_t transact(Path path, const StopSignal& stop);
    PortSetup takePortSetup();
    // Communications thread: stores the lines just read; the new status when it changed.
    std::optional<std::uint8_t> noteModemStatus(std::uint8_t status);

    // NotifyTarget: completions on the host thread.
    void onNotify(NotifyCode code, std::int32_t value) override;
    // CommThreadClient: the communications thread.
    bool beginAutoPoll() override;
    void serve(CommRequest request, const StopSignal& stop) override;
    void watchModem() override;

    // Written only on the host thread (under m_stateMutex); read there without the lock and
    // by the communications thread under it, which also writes the data area and MemQty.
    mutable std::mutex m_stateMutex;
    ControlProperties m_props;
    DataArea m_data;
    bool m_reopenPort = true;
    bool m_reapplySettings = true;
    modem::DialCommands m_dial;

    // Host thread only.
    std::int16_t m_result = 0;
    bool m_modified = false;
    bool m_modemConnected = false;
    automation::EventSink* m_sink = nullptr;
    automation::ContainerSite* m_site = nullptr;
    // Expires when the control is destroyed: an event handler may destroy its control.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);

    // Claimed by an accepted request on the host thread or by an auto-poll on the
    // communications thread (compare-exchange, so exactly one wins); released on the host
    // thread after the completion event.
    std::atomic<bool> m_busy{false};
    modem::ModemCancel m_modemCancel;
    // Communications thread only: the modem's lines as last read (none at creation).
    std::uint8_t m_modemStatus = 0;

    std::shared_ptr<NotifyQueue> m_queue;
    NotifyHandle m_notifyHandle = 0;
    std::unique_ptr<TransactionPort> m_port;
    CommThread m_thread; // last: stopped before anything it uses goes away
};

} // namespace tavrin
