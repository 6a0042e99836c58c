#include "Line.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace dlcsim {
namespace {

std::string why(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::optional<speed_t> speedOf(int baud) {
    struct Rate {
        int baud;
        speed_t code;
    };
    static constexpr std::array<Rate, 18> kRates{{{50, B50},
                                                  {300, B300},
                                                  {600, B600},
                                                  {1200, B1200},
                                                  {2400, B2400},
                                                  {4800, B4800},
                                                  {9600, B9600},
                                                  {19200, B19200},
                                                  {38400, B38400},
                                                  {57600, B57600},
                                                  {115200, B115200},
                                                  {230400, B230400},
                                                  {460800, B460800},
                                                  {500000, B500000},
                                                  {576000, B576000},
                                                  {921600, B921600},
                                                  {1000000, B1000000},
                                                  {2000000, B2000000}}};
    for (const Rate& r : kRates) {
        if (r.baud == baud) {
            return r.code;
        }
    }
    return std::nullopt;
}

bool makeRaw(int fd, const LineSettings& s, bool pty, std::string& error) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        error = why("tcgetattr");
        return false;
    }
    cfmakeraw(&t);
    t.c_cflag |= CREAD;
    // A pty drops parity and refuses (EINVAL) a tcsetattr whose only change is the
    // parity. Masters set CLOCAL; leaving it off on our side makes their first tcsetattr
    // a real change, whatever parity the previous master used.
    if (pty) {
        t.c_cflag &= ~static_cast<tcflag_t>(CLOCAL);
    } else {
        t.c_cflag |= CLOCAL;
    }
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
    t.c_cflag |= s.dataBits == 7 ? CS7 : CS8;
    if (s.parity != Parity::None) {
        t.c_cflag |= PARENB;
    }
    if (s.parity == Parity::Odd) {
        t.c_cflag |= PARODD;
    }
    if (s.stopBits == 2) {
        t.c_cflag |= CSTOPB;
    }
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    const auto speed = speedOf(s.baud);
    if (speed) {
        cfsetispeed(&t, *speed);
        cfsetospeed(&t, *speed);
    } else if (!pty) {
        error = "baud rate " + std::to_string(s.baud) + " is not one the driver takes";
        return false;
    }
    // A pseudo-terminal stores but ignores speed and parity; only raw mode matters there.
    if (tcsetattr(fd, TCSANOW, &t) != 0 && !pty) {
        error = why("tcsetattr");
        return false;
    }
    return true;
}

} // namespace

std::optional<Line> Line::openPty(const LineSettings& settings, std::string& error) {
    Line line;
    line.m_settings = settings;
    line.m_io.reset(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!line.m_io) {
        error = why("posix_openpt");
        return std::nullopt;
    }
    if (grantpt(line.fd()) != 0 || unlockpt(line.fd()) != 0) {
        error = why("grantpt/unlockpt");
        return std::nullopt;
    }
    std::array<char, 128> name{};
    if (ptsname_r(line.fd(), name.data(), name.size()) != 0) {
        error = why("ptsname_r");
        return std::nullopt;
    }
    line.m_peerPath = name.data();
    // Holding the slave side open keeps the pty alive between masters: without it the
    // master side reports a hang-up whenever no master has the port open.
    line.m_heldPeer.reset(::open(name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!line.m_heldPeer) {
        error = why("open " + line.m_peerPath);
        return std::nullopt;
    }
    // Raw before anyone connects: an echoing line discipline would send our replies back.
    if (!makeRaw(line.m_heldPeer.get(), settings, true, error)) {
        return std::nullopt;
    }
    // Best effort: without inotify the pty still works, but see onPeerEvent().
    line.m_watch.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (line.m_watch &&
        inotify_add_watch(line.m_watch.get(), name.data(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        line.m_watch.reset();
    }
    return line;
}

std::optional<Line> Line::openDevice(const std::string& path, const LineSettings& settings,
                                     std::string& error) {
    Line line;
    line.m_peerPath = path;
    line.m_io.reset(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!line.m_io) {
        error = why("open " + path);
        return std::nullopt;
    }
    if (flock(line.fd(), LOCK_EX | LOCK_NB) != 0) {
        error = why("lock " + path);
        return std::nullopt;
    }
    if (!makeRaw(line.fd(), settings, false, error)) {
        return std::nullopt;
    }
    tcflush(line.fd(), TCIOFLUSH);
    return line;
}

void Line::onPeerEvent() {
    alignas(inotify_event) std::array<char, 4096> events{};
    bool closed = false;
    while (true) {
        const ssize_t n = ::read(m_watch.get(), events.data(), events.size());
        if (n <= 0) {
            break;
        }
        closed = true; // only close events are watched
    }
    // A master that set TIOCEXCL leaves the flag on the tty when it closes, because our
    // held slave keeps the tty alive; unprivileged masters could then never reopen the
    // port. Clear it when a master closes. Race: if another master has the port open
    // at that moment, its exclusive flag goes too (its own lock file or flock remains).
    if (closed && m_heldPeer) {
        ioctl(m_heldPeer.get(), TIOCNXCL);
        // The next master finds the line as at the start, not as the last one left it
        // (see makeRaw: otherwise 8E1 after a master that used 8N1 fails with EINVAL).
        std::string ignored;
        makeRaw(m_heldPeer.get(), m_settings, true, ignored);
    }
}

long Line::read(std::span<std::uint8_t> buffer) {
    while (true) {
        const ssize_t n = ::read(fd(), buffer.data(), buffer.size());
        if (n >= 0) {
            return n;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN) {
            return 0;
        }
        return -1;
    }
}

void Line::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd(), bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return; // EAGAIN: the line is full, the rest is lost
        }
    }
}

} // namespace dlcsim
