#include "commport/CommPort.h"

#include "commport/LineTiming.h"
#include "commport/PortOptions.h"
#include "commport/PortPath.h"
#include "portshare/DescriptorServer.h"
#include "portshare/HostMembership.h"
#include "portshare/PortShare.h"
#include "portshare/Process.h"

#include <algorithm>
#include <thread>

namespace tavrin {

CommPort::CommPort() : m_timeouts(timeoutsFor(m_settings.baudRate)) {}

CommPort::~CommPort() {
    close();
}

bool CommPort::setPortName(std::string_view prefix, long adapter) {
    auto name = portNameFrom(prefix, adapter);
    if (!name) {
        return false;
    }
    m_name = std::move(name);
    return true;
}

bool CommPort::setSettings(std::string_view text) {
    const auto parsed = parseCommSettings(text);
    if (!parsed) {
        return false;
    }
    m_settings = *parsed;
    m_settingsText = std::string(text);
    m_timeouts = timeoutsFor(m_settings.baudRate);
    return true;
}

bool CommPort::isOpen() const {
    return m_device.isOpen();
}

bool CommPort::setUpShare() {
    if (!m_share) {
        m_share = PortShare::setUp(m_name->text);
    }
    // Ready before this sharer can be named owner, by open() or by a take-over. Without it the
    // port still works here; only sharers in other processes cannot attach to this one.
    if (m_share && !m_descriptors) {
        m_descriptors = DescriptorServer::forPort(m_name->text);
    }
    return m_share != nullptr;
}

void CommPort::joinHostThread() {
    const ShareIdentity self{static_cast<std::uint32_t>(currentProcessId()),
                             static_cast<std::uint32_t>(m_device.handle())};
    m_host = HostMembership::join(m_name->text, self);
}

std::optional<std::string> CommPort::deviceWithShare() {
    if (!m_name) {
        return std::nullopt;
    }
    auto path = resolveDevicePath(*m_name);
    if (!path || !setUpShare()) {
        close();
        return std::nullopt;
    }
    m_options = readPortOptions(*m_name);
    return path;
}

bool CommPort::open() {
    if (isOpen()) {
        return true;
    }
    const auto path = deviceWithShare();
    if (!path) {
        return false;
    }
    bool ok = false;
    {
        // Port lock first, then the record: the order every path here takes them in.
        NamedMutexGuard portGuard(m_share->portLock());
        auto access = m_share->lockRecord();
        ok = portGuard.owns() && access.valid() &&
             m_device.openExclusive(*path) == DeviceError::None &&
             m_device.configure(m_settings) == DeviceError::None;
        if (ok) {
            ShareRecord record = access.read();
            record.counter = 1;
            record.ownerHandle = static_cast<std::uint32_t>(m_device.handle());
            record.ownerPid = static_cast<std::uint32_t>(currentProcessId());
            access.write(record);
            // Still under the port lock: once the record names this owner, guests attach and
            // send, and a purge after unlocking could discard one of their frames.
            for (int attempt = 0; attempt < 3 && !purge(PurgeKind::All); ++attempt) {
            }
        }
    }
    if (!ok) {
        close();
        return false;
    }
    joinHostThread();
    return true;
}

bool CommPort::attach() {
    if (isOpen()) {
        return true;
    }
    const auto path = deviceWithShare();
    if (!path) {
        return false;
    }
    bool ok = false;
    {
        // Under the record's mutex: an owner closes its descriptor only under it, after
        // clearing itself from the record, so the number read here is still its device.
        auto access = m_share->lockRecord();
        if (access.valid() && !access.isEmpty()) {
            const ShareRecord record = access.read();
            UniqueFd fd = takeOwnersDescriptor(m_share->names(), record);
            ok = m_device.adopt(std::move(fd), *path) == DeviceError::None;
        }
    }
    if (!ok) {
        close();
        return false;
    }
    joinHostThread();
    return true;
}

void CommPort::close() {
    // First: once out of the host thread, this sharer is never published as owner again.
    m_host.reset();
    if (m_share && m_device.isOpen()) {
        bool handOver = false;
        {
            auto access = m_share->lockRecord();
            if (access.valid()) {
                const ShareRecord record = access.read();
                handOver = record.ownerPid == static_cast<std::uint32_t>(currentProcessId()) &&
                           record.ownerHandle == static_cast<std::uint32_t>(m_device.handle()) &&
                           access.otherSharers() > 0;
            }
        }
        // A guest leaving changes nothing for the others; an owner leaving asks one other
        // sharer's host thread to publish itself, and waits a bounded time for the answer.
        if (handOver) {
            m_share->hostExit().set();
            m_share->hostCanExit().wait(Clock::now() + kHandOverWait);
        }
        auto access = m_share->lockRecord();
        bool lastSharer = false;
        if (access.valid()) {
            lastSharer = access.otherSharers() == 0;
            ShareRecord record = access.read();
            if (record.ownerPid == static_cast<std::uint32_t>(currentProcessId()) &&
                record.ownerHandle == static_cast<std::uint32_t>(m_device.handle())) {
                // Nobody answered: clear the owner so that no guest duplicates a number that
                // is about to mean something else, and the remaining sharers take over.
                record.ownerPid = 0;
                record.ownerHandle = 0;
                access.write(record);
            }
        }
        if (lastSharer) {
            // The last frame may still be leaving (a broadcast awaits no reply, and the port
            // may be closed right after it): let it go before dropping what is left.
            std::this_thread::sleep_until(m_share->lineActivity().lastActivity());
        }
        // Under the record's mutex, after clearing the record: see attach().
        m_device.close(lastSharer);
    } else {
        m_device.close();
    }
    // Only now: until the record stopped naming this descriptor, a guest could ask for it.
    m_descriptors.reset();
    m_share.reset();
}

bool CommPort::applySettings() {
    if (!isOpen()) {
        return false;
    }
    NamedMutexGuard guard = lockPort();
    // The device is shared: another sharer's last frame (a broadcast awaits no reply) may
    // still be leaving. Neither new settings nor the purge may cut it.
    std::this_thread::sleep_until(m_share->lineActivity().lastActivity());
    if (m_device.applyLineSettings(m_settings) != DeviceError::None) {
        return false;
    }
    return purge(PurgeKind::All);
}

bool CommPort::purge(PurgeKind kind) {
    return isOpen() && m_device.purge(kind) == DeviceError::None;
}

bool CommPort::setModemLine(ModemLine line, bool on) {
    return isOpen() && m_device.setModemLine(line, on) == DeviceError::None;
}

ModemLines CommPort::modemLines() const {
    return isOpen() ? m_device.modemLines() : ModemLines{};
}

NamedMutexGuard CommPort::lockPort() {
    if (!m_share || !isOpen()) {
        return NamedMutexGuard();
    }
    return NamedMutexGuard(m_share->portLock());
}

IoResult CommPort::writeAll(std::span<const std::byte> data, Clock::time_point deadline,
                            int cancelFd) {
    if (!isOpen() || data.empty() || data.size() > kWriteLimit) {
        return {IoStatus::Failed, 0};
    }
    NamedMutexGuard guard = lockPort();
    if (!guard.owns()) {
        return {IoStatus::Failed, 0};
    }
    const auto now = Clock::now();
    const auto limit = std::min(deadline, now + m_timeouts.writeBound(data.size()));
    // The bytes begin to leave now, or once whatever the line still carries has left.
    const auto begin = std::max(now, m_share->lineActivity().lastActivity());
    const IoResult result = m_device.writeAll(data, limit, cancelFd);
    if (result.bytes > 0) {
        noteLineBusy(begin, result.bytes);
    }
    return result;
}

IoResult CommPort::readSome(std::span<std::byte> buffer, Clock::time_point deadline, int cancelFd) {
    if (!isOpen() || buffer.empty() || buffer.size() > kReadLimit) {
        return {IoStatus::Failed, 0};
    }
    NamedMutexGuard guard = lockPort();
    if (!guard.owns()) {
        return {IoStatus::Failed, 0};
    }
    const auto limit = std::min(deadline, Clock::now() + m_timeouts.readBound(buffer.size()));
    const IoResult result = m_device.readSome(buffer, limit, cancelFd);
    if (result.bytes > 0) {
        // A reply (or an echo) follows what we sent: from here the line is quiet again. Where
        // the far end answers before a wire could have carried the request (a slave on a
        // pseudo-terminal), the request's expected end must not hold up the next one.
        m_share->lineActivity().noteHeardAt(Clock::now());
    }
    return result;
}

void CommPort::noteLineBusy(Clock::time_point begin, std::size_t sent) {
    // Written bytes leave at the line's pace: the last is not out before all of them have had
    // their time from the first one's start, whatever the driver says (a pseudo-terminal's
    // queue empties as soon as its far side reads, a USB adapter's as soon as the adapter has
    // the bytes), nor while the driver still holds some of them.
    const auto character = wireCharacterTime(m_settings);
    const auto wire =
        std::chrono::duration_cast<Clock::duration>(character * static_cast<std::int64_t>(sent));
    const auto queued = std::chrono::duration_cast<Clock::duration>(
        character * static_cast<std::int64_t>(m_device.outputPending()));
    m_share->lineActivity().noteBusyUntil(std::max(begin + wire, Clock::now() + queued));
}

void CommPort::waitForLineSilence(double charTimes) {
    if (!m_share) {
        return;
    }
    const auto interval =
        std::chrono::duration_cast<Clock::duration>(silenceInterval(m_settings, charTimes));
    // Again after each sleep: another sharer may have used the line meanwhile (unless the
    // caller holds the port lock, which it normally does).
    for (;;) {
        const auto quietFrom = m_share->lineActivity().lastActivity() + interval;
        if (quietFrom <= Clock::now()) {
            return;
        }
        std::this_thread::sleep_until(quietFrom);
    }
}

CommPort::Clock::time_point CommPort::lineLastActive() const {
    return m_share ? m_share->lineActivity().lastActivity() : Clock::time_point();
}

std::optional<ShareRecord> CommPort::shareRecord() const {
    if (!m_share) {
        return std::nullopt;
    }
    auto access = m_share->lockRecord();
    if (!access.valid()) {
        return std::nullopt;
    }
    return access.read();
}

bool CommPort::ownsPort() const {
    const auto record = shareRecord();
    return record && isOpen() &&
           record->ownerPid == static_cast<std::uint32_t>(currentProcessId()) &&
           record->ownerHandle == static_cast<std::uint32_t>(m_device.handle());
}

std::uint64_t CommPort::hostBeats() const {
    return m_host ? m_host->host().beats() : 0;
}

bool CommPort::waitForHostBeat(std::uint64_t seen, Clock::time_point deadline) const {
    return m_host && m_host->host().waitForBeat(seen, deadline);
}

} // namespace tavrin
