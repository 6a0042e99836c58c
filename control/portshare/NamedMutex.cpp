#include "portshare/NamedMutex.h"

#include <utility>

namespace tavrin {

NamedMutexGuard::NamedMutexGuard(NamedMutex& mutex) {
    const LockResult result = mutex.lock();
    if (result != LockResult::Failed) {
        m_mutex = &mutex;
        m_abandoned = result == LockResult::Abandoned;
    }
}

NamedMutexGuard::NamedMutexGuard(NamedMutexGuard&& other) noexcept
    : m_mutex(std::exchange(other.m_mutex, nullptr)), m_abandoned(other.m_abandoned) {}

NamedMutexGuard& NamedMutexGuard::operator=(NamedMutexGuard&& other) noexcept {
    if (this != &other) {
        unlock();
        m_mutex = std::exchange(other.m_mutex, nullptr);
        m_abandoned = other.m_abandoned;
    }
    return *this;
}

NamedMutexGuard::~NamedMutexGuard() {
    unlock();
}

void NamedMutexGuard::unlock() {
    if (m_mutex != nullptr) {
        std::exchange(m_mutex, nullptr)->unlock();
    }
}

} // namespace tavrin
