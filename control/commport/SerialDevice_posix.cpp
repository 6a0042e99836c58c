#include "commport/Ioctl_posix.h"
#include "commport/SerialDevice.h"

#include <asm/termios.h> // termios2, BOTHER, TIOCM_*: not with <termios.h>/<sys/ioctl.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tavrin {
namespace {

// errno -> DeviceError, the one place that knows the numbers.
DeviceError deviceErrorOf(int err) {
    switch (err) {
    case 0:
        return DeviceError::None;
    case ENOENT:
    case ENOTDIR:
        return DeviceError::NotFound;
    case EBUSY:
    case EWOULDBLOCK:
        return DeviceError::Busy;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
        return DeviceError::HangUp;
    case ENOTTY:
    case ENOSYS:
    case EOPNOTSUPP:
        return DeviceError::NotSupported;
    case EINVAL:
        return DeviceError::Invalid;
    default:
        return DeviceError::Other;
    }
}

bool isPseudoTerminalDevice(dev_t device) {
    // Unix98 pty slaves use majors 136-143; the legacy BSD slaves major 3.
    const unsigned int m = major(device);
    return (m >= 136 && m <= 143) || m == 3;
}

struct LineFraming {
    tcflag_t size = 0;
    tcflag_t parity = 0;
    tcflag_t stop = 0;
};

std::optional<LineFraming> framingFor(const CommSettings& s) {
    LineFraming f;
    switch (s.dataBits) {
    case 5:
        f.size = CS5;
        break;
    case 6:
        f.size = CS6;
        break;
    case 7:
        f.size = CS7;
        break;
    case 8:
        f.size = CS8;
        break;
    default: // 4 data bits pass the settings grammar but no UART here sends them
        return std::nullopt;
    }
    if (s.parity == Parity::Even) {
        f.parity = PARENB;
    } else if (s.parity == Parity::Odd) {
        f.parity = PARENB | PARODD;
    }
    f.stop = s.stopBits == StopBits::Two ? CSTOPB : 0;
    return f;
}

bool sameLine(const termios2& t, const CommSettings& s) {
    const auto f = framingFor(s);
    return f && (t.c_cflag & CSIZE) == f->size && (t.c_cflag & (PARENB | PARODD)) == f->parity &&
           (t.c_cflag & CSTOPB) == f->stop && t.c_ospeed == s.baudRate;
}

// Drivers may round an unusual rate to what their clock divides to; a few percent is what a
// UART receiver tolerates anyway.
bool rateClose(speed_t actual, std::uint32_t wanted) {
    const long diff = std::labs(static_cast<long>(actual) - static_cast<long>(wanted));
    return diff * 100 <= static_cast<long>(wanted) * 3;
}

void setLine(termios2& t, const CommSettings& s, const LineFraming& f) {
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CBAUD | CRTSCTS);
    t.c_cflag |= f.size | f.parity | f.stop | BOTHER | CREAD | CLOCAL;
    t.c_ispeed = s.baudRate;
    t.c_ospeed = s.baudRate;
    // Check parity where there is any; a character that fails reads as NUL and the frame's
    // checksum then refuses it.
    if (s.parity == Parity::None) {
        t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    } else {
        t.c_iflag |= INPCK;
    }
}

void makeRaw(termios2& t) {
    // Bytes in and out unchanged: no break or parity marking, no CR/LF mapping, no XON/XOFF
    // flow control either way, no output processing, no echo, line editing or signals.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | IGNPAR);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

enum class Ready { Yes, TimedOut, Cancelled, Failed };

Ready waitReady(int fd, short events, SerialDevice::Clock::time_point deadline, int cancelFd,
                short& revents) {
    pollfd fds[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
    const nfds_t count = cancelFd >= 0 ? 2 : 1;
    for (;;) {
        const auto left = deadline - SerialDevice::Clock::now();
        if (left <= SerialDevice::Clock::duration::zero()) {
            return Ready::TimedOut;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        const int rc = ::ppoll(fds, count, &ts, nullptr);
        if (rc < 0 && errno == EINTR) {
            continue;
        }
        if (rc < 0) {
            return Ready::Failed;
        }
        if (rc == 0) {
            continue; // the loop's clock check decides: ppoll may wake a hair early
        }
        if (count == 2 && fds[1].revents != 0) {
            return Ready::Cancelled;
        }
        if ((fds[0].revents & POLLNVAL) != 0) {
            return Ready::Failed;
        }
        revents = fds[0].revents;
        return Ready::Yes;
    }
}

IoStatus statusOf(Ready r) {
    switch (r) {
    case Ready::TimedOut:
        return IoStatus::TimedOut;
    case Ready::Cancelled:
        return IoStatus::Cancelled;
    default:
        return IoStatus::Failed;
    }
}

} // namespace

DeviceError SerialDevice::noteError(int err) {
    m_lastErrno = err;
    return deviceErrorOf(err);
}

DeviceError SerialDevice::openExclusive(const std::string& path) {
    close();
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return noteError(errno);
    }
    UniqueFd owned(fd);
    termios2 t{};
    if (int err = sys::ioctlPointer(fd, TCGETS2, &t); err != 0) {
        return noteError(err == ENOTTY ? EINVAL : err); // a plain file is no port
    }
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        return noteError(errno);
    }
    // Refuses later open() calls of other programs (root excepted; the lock above covers us).
    sys::ioctlValue(fd, TIOCEXCL, 0);
    struct stat st {};
    m_pseudoTerminal = ::fstat(fd, &st) == 0 && isPseudoTerminalDevice(st.st_rdev);
    m_madeExclusive = true;
    m_fd = std::move(owned);
    return DeviceError::None;
}

DeviceError SerialDevice::adopt(UniqueFd fd, const std::string& path) {
    close();
    if (!fd.valid()) {
        return noteError(EBADF);
    }
    struct stat theirs {};
    struct stat ours {};
    if (::fstat(fd.get(), &theirs) != 0) {
        return noteError(errno);
    }
    if (::stat(path.c_str(), &ours) != 0) {
        return noteError(errno);
    }
    if (!S_ISCHR(theirs.st_mode) || theirs.st_rdev != ours.st_rdev) {
        return noteError(EINVAL);
    }
    m_pseudoTerminal = isPseudoTerminalDevice(theirs.st_rdev);
    m_fd = std::move(fd);
    return DeviceError::None;
}

void SerialDevice::close(bool discardOutput) {
    if (m_fd.valid()) {
        // A pty's close never waits for output, and flushing its slave side would discard
        // what the far side has not read yet.
        if (discardOutput && !m_pseudoTerminal) {
            sys::ioctlValue(m_fd.get(), TCFLSH, TCOFLUSH);
        }
        // A pty whose far side holds its slave open outlives our close with the exclusive
        // flag still set, and the next open, ours included, would be refused.
        if (m_madeExclusive && m_pseudoTerminal) {
            sys::ioctlValue(m_fd.get(), TIOCNXCL, 0);
        }
        m_fd.reset();
    }
    m_pseudoTerminal = false;
    m_madeExclusive = false;
}

DeviceError SerialDevice::configure(const CommSettings& settings) {
    termios2 t{};
    if (int err = sys::ioctlPointer(m_fd.get(), TCGETS2, &t); err != 0) {
        return noteError(err);
    }
    makeRaw(t);
    if (int err = sys::ioctlPointer(m_fd.get(), TCSETS2, &t); err != 0 && !m_pseudoTerminal) {
        return noteError(err);
    }
    if (DeviceError e = applyLineSettings(settings); e != DeviceError::None) {
        return e;
    }
    // Modem lines and RS-485 mode: a pty has neither, and a plain RS-232 port no RS-485 mode.
    if (DeviceError e = setModemLine(ModemLine::Dtr, true);
        e != DeviceError::None && e != DeviceError::NotSupported && !m_pseudoTerminal) {
        return e;
    }
    serial_rs485 rs485{};
    if (sys::ioctlPointer(m_fd.get(), TIOCGRS485, &rs485) == 0) {
        rs485.flags |= static_cast<__u32>(SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND);
        rs485.flags &= ~static_cast<__u32>(SER_RS485_RTS_AFTER_SEND);
        sys::ioctlPointer(m_fd.get(), TIOCSRS485, &rs485);
    }
    // USB adapters otherwise hold received bytes back for their latency timer (16 ms by
    // default), which would dominate every round trip.
    serial_struct serial{};
    if (sys::ioctlPointer(m_fd.get(), TIOCGSERIAL, &serial) == 0 &&
        (static_cast<unsigned>(serial.flags) & ASYNC_LOW_LATENCY) == 0) {
        serial.flags = static_cast<int>(static_cast<unsigned>(serial.flags) | ASYNC_LOW_LATENCY);
        sys::ioctlPointer(m_fd.get(), TIOCSSERIAL, &serial);
    }
    return DeviceError::None;
}

DeviceError SerialDevice::applyLineSettings(const CommSettings& settings) {
    const auto framing = framingFor(settings);
    if (!framing || settings.baudRate == 0) {
        // Rate 0 would mean "hang up" to the driver, not a line speed.
        return noteError(EINVAL);
    }
    termios2 t{};
    if (int err = sys::ioctlPointer(m_fd.get(), TCGETS2, &t); err != 0) {
        return noteError(err);
    }
    if (sameLine(t, settings)) {
        return DeviceError::None;
    }
    setLine(t, settings, *framing);
    const int err = sys::ioctlPointer(m_fd.get(), TCSETS2, &t);
    // A pty keeps no line settings: it may report EINVAL (when parity is all that changed)
    // and reads back something else. Neither is a fault there.
    if (m_pseudoTerminal) {
        return DeviceError::None;
    }
    if (err != 0) {
        return noteError(err);
    }
    termios2 back{};
    if (int e = sys::ioctlPointer(m_fd.get(), TCGETS2, &back); e != 0) {
        return noteError(e);
    }
    const bool framingTook = (back.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB)) ==
                             (framing->size | framing->parity | framing->stop);
    if (!framingTook || !rateClose(back.c_ospeed, settings.baudRate)) {
        return noteError(EINVAL);
    }
    return DeviceError::None;
}

DeviceError SerialDevice::purge(PurgeKind kind) {
    unsigned long queue = TCIOFLUSH;
    if (kind == PurgeKind::Receive) {
        queue = TCIFLUSH;
    } else if (kind == PurgeKind::Transmit || kind == PurgeKind::TransmitClear) {
        queue = TCOFLUSH;
    }
    return noteError(sys::ioctlValue(m_fd.get(), TCFLSH, queue));
}

DeviceError SerialDevice::setModemLine(ModemLine line, bool on) {
    int bits = line == ModemLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
    const DeviceError e = noteError(sys::ioctlPointer(m_fd.get(), on ? TIOCMBIS : TIOCMBIC, &bits));
    // A pty has no modem lines; it answers ENOTTY or EINVAL depending on the kernel.
    if (m_pseudoTerminal && (e == DeviceError::NotSupported || e == DeviceError::Invalid)) {
        return DeviceError::None;
    }
    return e;
}

ModemLines SerialDevice::modemLines() const {
    int bits = 0;
    if (!m_fd.valid() || sys::ioctlPointer(m_fd.get(), TIOCMGET, &bits) != 0) {
        return {};
    }
    return {(bits & TIOCM_CTS) != 0, (bits & TIOCM_DSR) != 0, (bits & TIOCM_RNG) != 0,
            (bits & TIOCM_CAR) != 0};
}

IoResult SerialDevice::writeAll(std::span<const std::byte> data, Clock::time_point deadline,
                                int cancelFd) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(m_fd.get(), data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        const int err = n < 0 ? errno : EIO;
        if (err == EINTR) {
            continue;
        }
        if (err == EAGAIN) {
            short revents = 0;
            const Ready r = waitReady(m_fd.get(), POLLOUT, deadline, cancelFd, revents);
            if (r != Ready::Yes) {
                return {statusOf(r), done};
            }
            continue;
        }
        return {noteError(err) == DeviceError::HangUp ? IoStatus::HangUp : IoStatus::Failed, done};
    }
    return {IoStatus::Ok, done};
}

IoResult SerialDevice::readSome(std::span<std::byte> buffer, Clock::time_point deadline,
                                int cancelFd) {
    short revents = 0;
    for (;;) {
        const ssize_t n = ::read(m_fd.get(), buffer.data(), buffer.size());
        if (n > 0) {
            return {IoStatus::Ok, static_cast<std::size_t>(n)};
        }
        // A terminal reads 0 bytes only once it is hung up.
        const int err = n == 0 ? EIO : errno;
        if (err == EINTR) {
            continue;
        }
        if (err == EAGAIN) {
            if ((revents & (POLLHUP | POLLERR)) != 0) {
                return {noteError(EIO) == DeviceError::HangUp ? IoStatus::HangUp : IoStatus::Failed,
                        0};
            }
            const Ready r = waitReady(m_fd.get(), POLLIN, deadline, cancelFd, revents);
            if (r != Ready::Yes) {
                return {statusOf(r), 0};
            }
            continue;
        }
        return {noteError(err) == DeviceError::HangUp ? IoStatus::HangUp : IoStatus::Failed, 0};
    }
}

std::size_t SerialDevice::outputPending() const {
    int queued = 0;
    if (sys::ioctlPointer(m_fd.get(), TIOCOUTQ, &queued) != 0 || queued < 0) {
        return 0;
    }
    return static_cast<std::size_t>(queued);
}

} // namespace tavrin
