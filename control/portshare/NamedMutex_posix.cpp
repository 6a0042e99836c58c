#include "portshare/Futex.h"
#include "portshare/NamedMutex.h"
#include "portshare/Process.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <pthread.h>
#include <utility>

namespace tavrin {
namespace {

// The object's layout. Zero-filled at creation, so `ready` starts at 0.
struct MutexObject {
    std::uint32_t ready; // 1 once the creator has initialised `mutex`
    std::int32_t creatorPid;
    pthread_mutex_t mutex;
};

constexpr std::size_t kPayloadOffset = (sizeof(MutexObject) + 15) / 16 * 16;
// A creator is given this long between creating the name and finishing initialisation
// (a few system calls) before it is suspected of having died there.
constexpr auto kInitialisationGrace = std::chrono::seconds(1);

MutexObject* objectOf(const SharedMapping& mapping) {
    return reinterpret_cast<MutexObject*>(mapping.bytes().data());
}

bool initialise(MutexObject* object) {
    object->creatorPid = currentProcessId();
    pthread_mutexattr_t attr;
    if (pthread_mutexattr_init(&attr) != 0) {
        return false;
    }
    const bool ok = pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0 &&
                    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
                    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) == 0 &&
                    pthread_mutex_init(&object->mutex, &attr) == 0;
    pthread_mutexattr_destroy(&attr);
    if (ok) {
        std::atomic_ref<std::uint32_t>(object->ready).store(1, std::memory_order_release);
        futexWakeAll(&object->ready);
    }
    return ok;
}

enum class Readiness { Ready, Stale };

// Openers wait for the creator to finish. A creator that died in between (pid gone, or no pid
// written yet after the grace period) leaves an object nobody will ever initialise.
Readiness waitUntilInitialised(MutexObject* object) {
    std::atomic_ref<std::uint32_t> ready(object->ready);
    auto deadline = std::chrono::steady_clock::now() + kInitialisationGrace;
    while (ready.load(std::memory_order_acquire) == 0) {
        if (futexWaitUntil(&object->ready, 0, deadline) == FutexWait::TimedOut &&
            ready.load(std::memory_order_acquire) == 0) {
            const std::int32_t creator =
                std::atomic_ref<std::int32_t>(object->creatorPid).load(std::memory_order_relaxed);
            if (!processAlive(creator)) {
                return Readiness::Stale;
            }
            deadline = std::chrono::steady_clock::now() + kInitialisationGrace;
        }
    }
    return Readiness::Ready;
}

} // namespace

NamedMutex::NamedMutex(Key, std::string name, OpenedObject object, std::size_t payloadOffset)
    : m_name(std::move(name)), m_mapping(std::move(object.mapping)), m_id(object.id),
      m_payloadOffset(payloadOffset) {}

std::unique_ptr<NamedMutex> NamedMutex::open(const std::string& name, std::size_t payloadSize) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        auto object = openSharedObject(name, kPayloadOffset + payloadSize);
        if (!object) {
            return nullptr;
        }
        MutexObject* raw = objectOf(object->mapping);
        if (object->created) {
            if (!initialise(raw)) {
                unlinkSharedObject(name);
                return nullptr;
            }
        } else if (waitUntilInitialised(raw) == Readiness::Stale) {
            // Remove the dead creator's object, but only if the name still means it: another
            // opener that found it stale first may already have replaced it.
            if (sharedObjectId(name) == object->id) {
                unlinkSharedObject(name);
            }
            continue;
        }
        return std::make_unique<NamedMutex>(Key{}, name, std::move(*object), kPayloadOffset);
    }
    return nullptr;
}

LockResult NamedMutex::lock() {
    pthread_mutex_t* mutex = &objectOf(m_mapping)->mutex;
    const int rc = pthread_mutex_lock(mutex);
    if (rc == 0) {
        return LockResult::Acquired;
    }
    if (rc == EOWNERDEAD) {
        // We hold it now; marking it consistent keeps it usable for everybody after us.
        pthread_mutex_consistent(mutex);
        return LockResult::Abandoned;
    }
    return LockResult::Failed;
}

void NamedMutex::unlock() {
    pthread_mutex_unlock(&objectOf(m_mapping)->mutex);
}

std::span<std::byte> NamedMutex::payload() const {
    return m_mapping.bytes().subspan(m_payloadOffset);
}

} // namespace tavrin
