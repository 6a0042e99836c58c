// The serial line dlcsim serves: a pseudo-terminal it creates, or an existing device.
#pragma once

#include "Config.h"
#include "UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace dlcsim {

class Line {
public:
    // A new pseudo-terminal in raw mode at the given settings; masters open peerPath()
    // (/dev/pts/N).
    static std::optional<Line> openPty(const LineSettings& settings, std::string& error);
    // An existing serial device, raw, at the given settings, locked against a second user.
    static std::optional<Line> openDevice(const std::string& path, const LineSettings& settings,
                                          std::string& error);

    int fd() const { return m_io.get(); }
    const std::string& peerPath() const { return m_peerPath; }
    bool isPty() const { return static_cast<bool>(m_heldPeer); }

    // A descriptor that becomes readable when a master opens or closes the pty; -1 if
    // there is none. Call onPeerEvent() when it does.
    int peerEventFd() const { return m_watch.get(); }
    void onPeerEvent();

    // Non-blocking; 0 when nothing is waiting, -1 on a line error (errno set).
    long read(std::span<std::uint8_t> buffer);
    // Bytes nobody reads are lost once the pty's buffer is full, as on a real line.
    void write(std::span<const std::uint8_t> bytes);

private:
    Line() = default;

    UniqueFd m_io;
    UniqueFd m_heldPeer; // pty only: our own open of the slave side
    UniqueFd m_watch;    // pty only: inotify on the slave side
    std::string m_peerPath;
    LineSettings m_settings;
};

} // namespace dlcsim
