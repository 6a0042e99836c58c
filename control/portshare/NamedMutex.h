// A mutex every process of the machine finds by name: robust (a holder that died leaves it
// "abandoned", not locked forever), recursive for its holding thread, with an optional
// payload of zero-initialised bytes that it guards.
#ifndef TAVRIN_PORTSHARE_NAMEDMUTEX_H
#define TAVRIN_PORTSHARE_NAMEDMUTEX_H

#include "portshare/SharedMemory.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace tavrin {

enum class LockResult {
    Acquired,
    Abandoned, // acquired, but its last holder died holding it: guarded data may be half-written
    Failed
};

class NamedMutex {
public:
    // Opens or creates the mutex; nothing on failure.
    static std::unique_ptr<NamedMutex> open(const std::string& name, std::size_t payloadSize = 0);

    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    LockResult lock();
    void unlock();

    std::span<std::byte> payload() const;
    const std::string& name() const { return m_name; }
    ObjectId objectId() const { return m_id; }

private:
    struct Key {
        explicit Key() = default;
    };

public:
    // Only open() can name the key.
    NamedMutex(Key, std::string name, OpenedObject object, std::size_t payloadOffset);

private:
    std::string m_name;
    SharedMapping m_mapping;
    ObjectId m_id;
    std::size_t m_payloadOffset;
};

// Holds a NamedMutex for a scope. An empty guard holds nothing.
class NamedMutexGuard {
public:
    NamedMutexGuard() = default;
    explicit NamedMutexGuard(NamedMutex& mutex);
    NamedMutexGuard(NamedMutexGuard&& other) noexcept;
    NamedMutexGuard& operator=(NamedMutexGuard&& other) noexcept;
    NamedMutexGuard(const NamedMutexGuard&) = delete;
    NamedMutexGuard& operator=(const NamedMutexGuard&) = delete;
    ~NamedMutexGuard();

    bool owns() const { return m_mutex != nullptr; }
    bool abandoned() const { return m_abandoned; }
    void unlock();

private:
    NamedMutex* m_mutex = nullptr;
    bool m_abandoned = false;
};

} // namespace tavrin

#endif
