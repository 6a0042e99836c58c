// A sharer's place in its port's host thread. The process keeps one host thread per port
// name, started by the port's first sharer in the process and ended by its last.
#ifndef TAVRIN_PORTSHARE_HOSTMEMBERSHIP_H
#define TAVRIN_PORTSHARE_HOSTMEMBERSHIP_H

#include "portshare/Heartbeat.h"
#include "portshare/HostThread.h"

#include <memory>
#include <string>

namespace tavrin {

class HostMembership {
public:
    // Joins the host thread of `portName` with the sharer `self`, whose descriptor must be in
    // place. Nothing when the port's objects cannot be opened.
    static std::unique_ptr<HostMembership> join(const std::string& portName, ShareIdentity self);

    HostMembership(const HostMembership&) = delete;
    HostMembership& operator=(const HostMembership&) = delete;
    // Leaves; once it returns the sharer is never published as owner. The last member of
    // the port in this process stops the thread.
    ~HostMembership();

    const HostThread& host() const { return *m_host; }

private:
    struct Key {
        explicit Key() = default;
    };

public:
    HostMembership(Key, std::string portName, ShareIdentity self, std::shared_ptr<HostThread> host);

private:
    std::string m_portName;
    ShareIdentity m_self;
    std::shared_ptr<HostThread> m_host;
};

} // namespace tavrin

#endif
