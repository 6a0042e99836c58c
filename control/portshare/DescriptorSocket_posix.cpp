#include "portshare/DescriptorSocket.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tavrin {
namespace {

// The abstract namespace: a leading NUL, then the name's bytes (no terminator counted).
std::optional<std::pair<sockaddr_un, socklen_t>> addressOf(const std::string& name) {
    sockaddr_un address{};
    if (name.empty() || name.size() + 1 > sizeof address.sun_path) {
        return std::nullopt;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return std::pair(address, length);
}

UniqueFd streamSocket() {
    return UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
}

// False at the deadline or on a hang-up without data.
bool waitReadable(int socket, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd p{socket, POLLIN, 0};
        const int rc = ::poll(&p, 1, static_cast<int>(left.count()));
        if (rc > 0) {
            return (p.revents & POLLIN) != 0;
        }
        if (rc < 0 && errno != EINTR) {
            return false;
        }
    }
}

} // namespace

std::uint32_t currentUserId() {
    return static_cast<std::uint32_t>(::geteuid());
}

UniqueFd listenAt(const std::string& name) {
    const auto address = addressOf(name);
    UniqueFd fd = streamSocket();
    if (!address || !fd.valid() ||
        ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address->first), address->second) !=
            0 ||
        ::listen(fd.get(), 16) != 0) {
        return UniqueFd();
    }
    return fd;
}

UniqueFd acceptOrWake(int listener, int wake) {
    for (;;) {
        pollfd fds[2] = {{listener, POLLIN, 0}, {wake, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return UniqueFd();
        }
        if (fds[1].revents != 0) {
            return UniqueFd();
        }
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            return UniqueFd(fd);
        }
        if (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED) {
            return UniqueFd();
        }
    }
}

UniqueFd connectTo(const std::string& name) {
    const auto address = addressOf(name);
    UniqueFd fd = streamSocket();
    if (!address || !fd.valid()) {
        return UniqueFd();
    }
    int rc = 0;
    do {
        rc = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address->first),
                       address->second);
    } while (rc != 0 && errno == EINTR);
    // A full backlog (EAGAIN) counts as nobody answering: the caller must not wait on it.
    return rc == 0 ? std::move(fd) : UniqueFd();
}

std::optional<PeerCredentials> peerOf(int socket) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof credentials) {
        return std::nullopt;
    }
    return PeerCredentials{static_cast<std::int32_t>(credentials.pid),
                           static_cast<std::uint32_t>(credentials.uid)};
}

bool sendWord(int socket, std::uint32_t word) {
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(word >> (8 * i));
    }
    // Four bytes always fit an empty socket buffer: one call, never blocking.
    return ::send(socket, bytes, sizeof bytes, MSG_NOSIGNAL | MSG_DONTWAIT) == 4;
}

std::optional<std::uint32_t> receiveWord(int socket,
                                         std::chrono::steady_clock::time_point deadline) {
    unsigned char bytes[4];
    std::size_t have = 0;
    while (have < sizeof bytes) {
        if (!waitReadable(socket, deadline)) {
            return std::nullopt;
        }
        const ssize_t n = ::recv(socket, bytes + have, sizeof bytes - have, MSG_DONTWAIT);
        if (n > 0) {
            have += static_cast<std::size_t>(n);
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            return std::nullopt;
        }
    }
    std::uint32_t word = 0;
    for (int i = 0; i < 4; ++i) {
        word |= std::uint32_t{bytes[i]} << (8 * i);
    }
    return word;
}

bool sendDescriptor(int socket, int fd) {
    char byte = fd >= 0 ? 'Y' : 'N';
    iovec io{&byte, 1};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
    }
    ssize_t n = 0;
    do {
        n = ::sendmsg(socket, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n == 1;
}

UniqueFd receiveDescriptor(int socket, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (!waitReadable(socket, deadline)) {
            return UniqueFd();
        }
        char byte = 0;
        iovec io{&byte, 1};
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n != 1) {
            return UniqueFd();
        }
        UniqueFd received;
        for (cmsghdr* h = CMSG_FIRSTHDR(&message); h != nullptr; h = CMSG_NXTHDR(&message, h)) {
            if (h->cmsg_level == SOL_SOCKET && h->cmsg_type == SCM_RIGHTS &&
                h->cmsg_len == CMSG_LEN(sizeof(int))) {
                int fd = -1;
                std::memcpy(&fd, CMSG_DATA(h), sizeof fd);
                received.reset(fd);
            }
        }
        if (byte != 'Y' || (message.msg_flags & MSG_CTRUNC) != 0) {
            return UniqueFd();
        }
        return received;
    }
}

UniqueFd makeWake() {
    return UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

void signalWake(int wake) {
    const std::uint64_t one = 1;
    while (::write(wake, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

} // namespace tavrin
