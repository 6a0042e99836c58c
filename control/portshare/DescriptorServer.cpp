#include "portshare/DescriptorServer.h"

#include "portshare/DescriptorSocket.h"
#include "portshare/Process.h"

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <new>

namespace tavrin {
namespace {

// A connected sharer has this long to say which descriptor it wants.
constexpr std::chrono::milliseconds kRequestWait{200};

// The process's servers by port name.
struct Servers {
    std::mutex mutex;
    std::condition_variable retired; // a server let go of by its last user has gone
    std::map<std::string, std::weak_ptr<DescriptorServer>, std::less<>> byPort;
};

Servers& servers() {
    // Never destroyed: a port closed from a static destructor at exit still finds it.
    alignas(Servers) static std::byte storage[sizeof(Servers)];
    static Servers* const instance = ::new (storage) Servers();
    return *instance;
}

} // namespace

std::shared_ptr<DescriptorServer> DescriptorServer::forPort(const std::string& portName) {
    Servers& all = servers();
    std::unique_lock lock(all.mutex);
    // Users let go without the lock, so "still alive" is only known by taking a reference:
    // asked first (expired()) and taken after (lock()), the last user could let go in
    // between, and this port would be left without a server until it was reopened.
    for (;;) {
        const auto it = all.byPort.find(portName);
        if (it == all.byPort.end()) {
            break;
        }
        if (auto server = it->second.lock()) {
            return server;
        }
        // Its last user has let go: it holds its socket's name until it is retired, and a
        // new one could not take the name before.
        all.retired.wait(lock);
    }
    auto share = PortShare::setUp(portName, PortShare::Role::Observer);
    UniqueFd wake = makeWake();
    UniqueFd listener;
    if (share) {
        listener = listenAt(descriptorSocketName(share->names(), currentProcessId()));
    }
    if (!share || !wake.valid() || !listener.valid()) {
        return nullptr;
    }
    auto server = std::make_unique<DescriptorServer>(Key{}, portName, std::move(share),
                                                     std::move(listener), std::move(wake));
    std::shared_ptr<DescriptorServer> shared(server.release(), &DescriptorServer::retire);
    all.byPort[portName] = shared;
    return shared;
}

void DescriptorServer::retire(DescriptorServer* server) {
    std::unique_ptr<DescriptorServer> owned(server);
    const std::string portName = owned->m_portName;
    owned.reset(); // the thread ends and the socket's name is free again
    Servers& all = servers();
    {
        std::lock_guard lock(all.mutex);
        all.byPort.erase(portName);
    }
    all.retired.notify_all();
}

DescriptorServer::DescriptorServer(Key, std::string portName, std::unique_ptr<PortShare> share,
                                   UniqueFd listener, UniqueFd wake)
    : m_portName(std::move(portName)), m_share(std::move(share)), m_listener(std::move(listener)),
      m_wake(std::move(wake)), m_thread([this] { run(); }) {}

DescriptorServer::~DescriptorServer() {
    signalWake(m_wake.get());
    m_thread.join();
}

void DescriptorServer::run() {
    for (;;) {
        UniqueFd connection = acceptOrWake(m_listener.get(), m_wake.get());
        if (!connection.valid()) {
            return; // woken to stop (or the listener failed: nothing more to serve)
        }
        answer(connection.get());
    }
}

void DescriptorServer::answer(int connection) {
    // Another user's process gets nothing, not even a refusal to read.
    const auto peer = peerOf(connection);
    if (!peer || peer->uid != currentUserId()) {
        return;
    }
    const auto wanted = receiveWord(connection, std::chrono::steady_clock::now() + kRequestWait);
    if (!wanted) {
        return;
    }
    // The asking sharer holds the record's mutex: the record stands still while it is read, and
    // the descriptor it names stays open until the asker lets go.
    const ShareRecord record = m_share->peekRecord();
    const bool ours = record.ownerPid == static_cast<std::uint32_t>(currentProcessId()) &&
                      record.ownerHandle == *wanted;
    sendDescriptor(connection, ours ? static_cast<int>(*wanted) : -1);
}

UniqueFd takeOwnersDescriptor(const ShareNames& names, const ShareRecord& record) {
    const auto pid = static_cast<std::int32_t>(record.ownerPid);
    if (pid <= 0) {
        return UniqueFd();
    }
    if (pid == currentProcessId()) {
        return duplicateDescriptor(static_cast<int>(record.ownerHandle));
    }
    UniqueFd connection = connectTo(descriptorSocketName(names, pid));
    if (!connection.valid()) {
        return UniqueFd();
    }
    // Whoever listens under that name must be the owner's process, of our user.
    const auto peer = peerOf(connection.get());
    if (!peer || peer->pid != pid || peer->uid != currentUserId() ||
        !sendWord(connection.get(), record.ownerHandle)) {
        return UniqueFd();
    }
    return receiveDescriptor(connection.get(), std::chrono::steady_clock::now() + kDescriptorWait);
}

} // namespace tavrin
