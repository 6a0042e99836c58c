// Descriptors handed between processes over Unix-domain stream sockets in the abstract
// namespace: no file is left behind, and a name goes with the last socket bound to it (also
// when its process is killed).
#ifndef TAVRIN_PORTSHARE_DESCRIPTORSOCKET_H
#define TAVRIN_PORTSHARE_DESCRIPTORSOCKET_H

#include "portshare/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tavrin {

struct PeerCredentials {
    std::int32_t pid = 0;
    std::uint32_t uid = 0; // effective user id
};

std::uint32_t currentUserId();

// A non-blocking listening socket bound to `name`; invalid on failure.
UniqueFd listenAt(const std::string& name);
// Sleeps until `listener` has a connection or `wake` is readable. The connection; invalid
// when woken, or when accepting failed.
UniqueFd acceptOrWake(int listener, int wake);
// A connection to whoever listens at `name`; invalid when nobody does.
UniqueFd connectTo(const std::string& name);
// The process at the other end of a connection: the one that connected, or the one that
// listened. Checked by the kernel, not by what the peer says.
std::optional<PeerCredentials> peerOf(int socket);

bool sendWord(int socket, std::uint32_t word);
std::optional<std::uint32_t> receiveWord(int socket,
                                         std::chrono::steady_clock::time_point deadline);
// One byte, with `fd` attached unless it is negative (a refusal).
bool sendDescriptor(int socket, int fd);
// The descriptor attached to the peer's byte (close-on-exec); invalid when the peer refused,
// hung up or the deadline passed.
UniqueFd receiveDescriptor(int socket, std::chrono::steady_clock::time_point deadline);

// A descriptor that turns readable once signalled.
UniqueFd makeWake();
void signalWake(int wake);

} // namespace tavrin

#endif
