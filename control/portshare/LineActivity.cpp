#include "portshare/LineActivity.h"

#include <atomic>

namespace tavrin {

static_assert(std::atomic_ref<std::int64_t>::is_always_lock_free,
              "the time is shared between processes and must not need a lock");

LineActivity::LineActivity(Key, SharedMapping mapping) : m_mapping(std::move(mapping)) {}

std::unique_ptr<LineActivity> LineActivity::open(const std::string& name) {
    auto object = openSharedObject(name, sizeof(std::int64_t));
    if (!object) {
        return nullptr;
    }
    return std::make_unique<LineActivity>(Key{}, std::move(object->mapping));
}

std::int64_t* LineActivity::nanoseconds() const {
    return reinterpret_cast<std::int64_t*>(m_mapping.bytes().data());
}

void LineActivity::noteBusyUntil(Clock::time_point until) {
    const std::int64_t ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(until.time_since_epoch()).count();
    std::atomic_ref<std::int64_t> stored(*nanoseconds());
    std::int64_t seen = stored.load(std::memory_order_relaxed);
    while (seen < ns && !stored.compare_exchange_weak(seen, ns, std::memory_order_relaxed)) {
    }
}

void LineActivity::noteHeardAt(Clock::time_point at) {
    const std::int64_t ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
    std::atomic_ref<std::int64_t>(*nanoseconds()).store(ns, std::memory_order_relaxed);
}

LineActivity::Clock::time_point LineActivity::lastActivity() const {
    const std::int64_t ns =
        std::atomic_ref<std::int64_t>(*nanoseconds()).load(std::memory_order_relaxed);
    return Clock::time_point(
        std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns)));
}

} // namespace tavrin
