// The per-thread notification queue: posts from any thread arrive on the queue's thread
// when it pumps, the descriptor tells the host when to pump, and a detached target is
// never called again.
#include "engine/NotifyQueue.h"

#include <chrono>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <vector>

namespace tavrin {
namespace {

using namespace std::chrono_literals;

struct Recorder final : NotifyTarget {
    std::vector<std::pair<NotifyCode, std::int32_t>> got;
    std::vector<std::thread::id> threads;
    void onNotify(NotifyCode code, std::int32_t value) override {
        got.emplace_back(code, value);
        threads.push_back(std::this_thread::get_id());
    }
};

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

TEST(NotifyQueueTest, PostsFromAnotherThreadFireInOrderOnThePumpingThread) {
    const auto queue = NotifyQueue::forCurrentThread();
    ASSERT_TRUE(queue);
    EXPECT_EQ(queue, NotifyQueue::forCurrentThread());
    Recorder target;
    const NotifyHandle handle = queue->attach(target);

    EXPECT_FALSE(readable(queue->fd()));
    std::thread([&] {
        for (std::int32_t k = 0; k < 100; ++k) {
            queue->post(handle, NotifyCode::TransactionComplete, k);
        }
    }).join();
    EXPECT_TRUE(readable(queue->fd()));
    EXPECT_EQ(queue->pump(), 100u);
    EXPECT_FALSE(readable(queue->fd()));
    ASSERT_EQ(target.got.size(), 100u);
    for (std::int32_t k = 0; k < 100; ++k) {
        EXPECT_EQ(target.got[static_cast<std::size_t>(k)].second, k);
        EXPECT_EQ(target.threads[static_cast<std::size_t>(k)], std::this_thread::get_id());
    }
    queue->detach(handle);
}

TEST(NotifyQueueTest, DetachedTargetIsNeverCalledAndHandlesAreNotReused) {
    const auto queue = NotifyQueue::forCurrentThread();
    Recorder gone, next;
    const NotifyHandle goneHandle = queue->attach(gone);
    queue->post(goneHandle, NotifyCode::DialComplete, 1);
    queue->detach(goneHandle);
    const NotifyHandle nextHandle = queue->attach(next);
    EXPECT_NE(nextHandle, goneHandle);
    EXPECT_EQ(queue->pump(), 0u);
    EXPECT_TRUE(gone.got.empty());
    EXPECT_TRUE(next.got.empty());
    queue->detach(nextHandle);
}

// A handler that detaches another target whose notification is in the same batch.
TEST(NotifyQueueTest, TargetDetachedByAnEarlierHandlerInTheBatchIsSkipped) {
    const auto queue = NotifyQueue::forCurrentThread();
    Recorder second;
    const NotifyHandle secondHandle = queue->attach(second);
    struct Detacher final : NotifyTarget {
        NotifyQueue* queue;
        NotifyHandle victim;
        void onNotify(NotifyCode, std::int32_t) override { queue->detach(victim); }
    } first;
    first.queue = queue.get();
    first.victim = secondHandle;
    const NotifyHandle firstHandle = queue->attach(first);
    queue->post(firstHandle, NotifyCode::TransactionComplete, 0);
    queue->post(secondHandle, NotifyCode::TransactionComplete, 0);
    EXPECT_EQ(queue->pump(), 1u);
    EXPECT_TRUE(second.got.empty());
    queue->detach(firstHandle);
}

TEST(NotifyQueueTest, EachThreadHasItsOwnQueue) {
    const auto mine = NotifyQueue::forCurrentThread();
    std::shared_ptr<NotifyQueue> theirs;
    std::thread([&] { theirs = NotifyQueue::forCurrentThread(); }).join();
    ASSERT_TRUE(theirs);
    EXPECT_NE(mine, theirs);
    EXPECT_NE(mine->fd(), theirs->fd());
}

TEST(NotifyQueueTest, WaitAndPumpWakesForAPostFromAnotherThread) {
    const auto queue = NotifyQueue::forCurrentThread();
    Recorder target;
    const NotifyHandle handle = queue->attach(target);
    std::thread poster([&] { queue->post(handle, NotifyCode::HangupComplete, 5); });
    std::size_t delivered = 0;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (delivered == 0 && std::chrono::steady_clock::now() < deadline) {
        delivered += queue->waitAndPump(1s);
    }
    poster.join();
    ASSERT_EQ(target.got.size(), 1u);
    EXPECT_EQ(target.got[0].first, NotifyCode::HangupComplete);
    queue->detach(handle);
}

} // namespace
} // namespace tavrin
