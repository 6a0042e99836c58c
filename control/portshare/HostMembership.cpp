#include "portshare/HostMembership.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <new>

namespace tavrin {
namespace {

// The process's host threads by port name: one per port however many controls share it.
struct Hosts {
    std::mutex mutex; // held while a thread is started or stopped, so no join meets a leaving one
    std::map<std::string, std::shared_ptr<HostThread>, std::less<>> byPort;
};

Hosts& hosts() {
    // Never destroyed: a port closed from a static destructor at exit still finds it.
    alignas(Hosts) static std::byte storage[sizeof(Hosts)];
    static Hosts* const instance = ::new (storage) Hosts();
    return *instance;
}

} // namespace

HostMembership::HostMembership(Key, std::string portName, ShareIdentity self,
                               std::shared_ptr<HostThread> host)
    : m_portName(std::move(portName)), m_self(self), m_host(std::move(host)) {}

std::unique_ptr<HostMembership> HostMembership::join(const std::string& portName,
                                                     ShareIdentity self) {
    Hosts& all = hosts();
    std::lock_guard lock(all.mutex);
    auto& host = all.byPort[portName];
    if (!host) {
        auto share = PortShare::setUp(portName, PortShare::Role::Observer);
        if (!share) {
            all.byPort.erase(portName);
            return nullptr;
        }
        host = std::make_shared<HostThread>(std::move(share));
    }
    host->addMember(self);
    return std::make_unique<HostMembership>(Key{}, portName, self, host);
}

HostMembership::~HostMembership() {
    Hosts& all = hosts();
    std::lock_guard lock(all.mutex);
    if (m_host->removeMember(m_self) == 0) {
        m_host->stop();
        all.byPort.erase(m_portName);
    }
}

} // namespace tavrin
