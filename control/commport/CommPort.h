// The serial port of one control: its name and settings, opened as the port's owner or
// attached as a guest of another sharer, with bounded reads and writes, purges, modem
// lines, and the silent interval the line needs between frames.
//
// One thread at a time calls a CommPort (its control's communications thread, or the
// control's thread for a synchronous refresh); the host thread it starts is its own.
#ifndef TAVRIN_COMMPORT_COMMPORT_H
#define TAVRIN_COMMPORT_COMMPORT_H

#include "commport/CommSettings.h"
#include "commport/PortName.h"
#include "commport/PortOptions.h"
#include "commport/PortTimeouts.h"
#include "commport/SerialDevice.h"
#include "portshare/NamedMutex.h"
#include "portshare/ShareRecord.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavrin {

class PortShare;
class HostMembership;
class DescriptorServer;

class CommPort {
public:
    using Clock = std::chrono::steady_clock;

    // Reads and writes larger than this are refused.
    static constexpr std::size_t kReadLimit = 1024;
    static constexpr std::size_t kWriteLimit = 1024;

    CommPort();
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;
    ~CommPort(); // closes

    // AdapterPrefix followed by Adapter; false (name unchanged) when they make no valid name.
    // Takes effect at the next open.
    bool setPortName(std::string_view prefix, long adapter);
    const std::string& portName() const { return m_name ? m_name->text : m_noName; }

    // Parses a CommSettings text; false (settings unchanged) when it breaks the grammar.
    // Takes effect at the next open or applySettings().
    bool setSettings(std::string_view text);
    const CommSettings& settings() const { return m_settings; }
    const std::string& settingsText() const { return m_settingsText; }
    const PortTimeouts& timeouts() const { return m_timeouts; }

    // As the port's owner: opens the device exclusively, configures it, publishes it for
    // guests. Fails when the device is missing, refuses the settings, or is owned already
    // (then attach()).
    bool open();
    // As a guest: takes a descriptor of the owner's device (from another process over the
    // owner's descriptor socket, which answers only its own user). Fails without an owner.
    bool attach();
    // Hands ownership to another sharer if this one owns the port, then lets go of everything.
    void close();
    bool isOpen() const;
    // The adapter hands back every byte sent (the ports folder's options file says so; read
    // at every open and attach).
    bool echoes() const { return m_options.echo; }

    // Applies the settings to the (shared) device when they differ, then purges both ways.
    bool applySettings();
    bool purge(PurgeKind kind);
    bool setModemLine(ModemLine line, bool on);
    // All off while the port is closed.
    ModemLines modemLines() const;

    // The port lock: one transaction at a time on the line across every sharer in every
    // process. Recursive for its holder; waits without limit; an empty guard when the port
    // is not open. A lock whose holder died is recovered (guard.abandoned()).
    NamedMutexGuard lockPort();

    // Bounded by the deadline and by the port timeouts for that many bytes. Both take the
    // port lock for their duration (a no-op for a thread that holds it already) and record
    // the line's activity. A readable cancelFd (>= 0) ends the wait with Cancelled.
    IoResult writeAll(std::span<const std::byte> data, Clock::time_point deadline,
                      int cancelFd = -1);
    IoResult readSome(std::span<std::byte> buffer, Clock::time_point deadline, int cancelFd = -1);

    // Sleeps until the line has been silent for `charTimes` characters at the port's settings
    // since the last byte any sharer sent or received; returns at once when it has been.
    void waitForLineSilence(double charTimes = 3.5);
    // When the line last carried a byte (or will have sent what is queued); the clock's epoch
    // when the port is not open or has never been used.
    Clock::time_point lineLastActive() const;

    // --- Sharing state, for the engine's diagnostics and for watching hand-overs. ---
    std::optional<ShareRecord> shareRecord() const;
    // The record names this CommPort as the owner.
    bool ownsPort() const;
    // Beats of the port's host thread in this process so far, and a wait for the next (false
    // at the deadline).
    std::uint64_t hostBeats() const;
    bool waitForHostBeat(std::uint64_t seen, Clock::time_point deadline) const;
    int handle() const { return m_device.handle(); }
    bool isPseudoTerminal() const { return m_device.isPseudoTerminal(); }
    int lastErrno() const { return m_device.lastErrno(); }

private:
    // The device path of the named port with the port's shared objects set up; nothing (and
    // everything released) when either fails. Owner and guest both start here.
    std::optional<std::string> deviceWithShare();
    bool setUpShare();
    void joinHostThread();
    void noteLineBusy(Clock::time_point begin, std::size_t sent);

    std::optional<PortName> m_name;
    std::string m_noName;
    CommSettings m_settings;
    std::string m_settingsText;
    PortTimeouts m_timeouts;
    PortOptions m_options;
    SerialDevice m_device;
    std::unique_ptr<PortShare> m_share;
    std::shared_ptr<DescriptorServer> m_descriptors; // this process's, while it holds the device
    std::unique_ptr<HostMembership> m_host;          // after m_share: leaves before it goes
};

} // namespace tavrin

#endif
