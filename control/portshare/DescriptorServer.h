// The owner's half of attaching as a guest from another process: the owner hands its
// descriptor of the port's device over a Unix-domain socket (SCM_RIGHTS), and only to a
// process of the same user, as the kernel reports the peer (SO_PEERCRED). No process is given
// any right over another's memory or descriptors beyond that.
//
// Every process that holds the device listens, on a socket named after the port's shared
// objects and itself ("/SOCK<port>TAVRIN:<pid>"), so that whichever of them the record names
// as owner answers at once, also right after it took the port over. It answers with the
// descriptor the record names as its own, and nothing else.
#ifndef TAVRIN_PORTSHARE_DESCRIPTORSERVER_H
#define TAVRIN_PORTSHARE_DESCRIPTORSERVER_H

#include "portshare/PortShare.h"
#include "portshare/ShareRecord.h"
#include "portshare/UniqueFd.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace tavrin {

class DescriptorServer {
public:
    // The server of `portName` in this process, started by the first caller and shared by
    // every CommPort of the port that holds the device; it stops when the last one lets go.
    // Nothing when it cannot listen (sharers of other processes then cannot attach to this
    // one).
    static std::shared_ptr<DescriptorServer> forPort(const std::string& portName);

    DescriptorServer(const DescriptorServer&) = delete;
    DescriptorServer& operator=(const DescriptorServer&) = delete;
    ~DescriptorServer();

private:
    struct Key {
        explicit Key() = default;
    };

public:
    DescriptorServer(Key, std::string portName, std::unique_ptr<PortShare> share, UniqueFd listener,
                     UniqueFd wake);

private:
    // The last user let go: stops the server, then takes it out of the process's servers.
    static void retire(DescriptorServer* server);
    void run();
    void answer(int connection);

    std::string m_portName;
    std::unique_ptr<PortShare> m_share; // an observer: the record the answers follow
    UniqueFd m_listener;
    UniqueFd m_wake;
    std::thread m_thread; // last: starts once everything above is ready
};

// Longest a guest waits for the owner's answer (it holds the record's mutex meanwhile).
inline constexpr std::chrono::milliseconds kDescriptorWait{500};

// The guest's half: a descriptor of the device the record names. In this process a plain
// dup; from another process, asked of that process's server, which must run as the same
// user. Invalid on failure. Call with the record locked: the owner closes its descriptor only
// under that lock, after clearing the record, so the number is still its device.
UniqueFd takeOwnersDescriptor(const ShareNames& names, const ShareRecord& record);

} // namespace tavrin

#endif
