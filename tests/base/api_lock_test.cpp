// The API lock with real threads: recursion, and strict arrival order under contention.
#include "library/base/api_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

int Waiters() {
    EnterCriticalSection(&g_apiLock.guard);
    int n = g_apiLock.waiters;
    LeaveCriticalSection(&g_apiLock.guard);
    return n;
}

void WaitForWaiters(int n) {
    while (Waiters() < n) std::this_thread::yield();
}

TEST(ApiLock, RecursiveForItsOwnerReleasedAtDepthZero) {
    LockLibrary();
    LockLibrary();
    EXPECT_EQ(g_apiLock.depth, 2);
    std::atomic<bool> got{false};
    std::thread other([&] {
        LockLibrary();
        got = true;
        UnlockLibrary();
    });
    WaitForWaiters(1);
    UnlockLibrary();
    EXPECT_EQ(g_apiLock.depth, 1);
    EXPECT_FALSE(got);
    UnlockLibrary();
    other.join();
    EXPECT_TRUE(got);
    EXPECT_EQ(g_apiLock.depth, 0);
    EXPECT_FALSE(g_apiLock.owned);
    DeleteLibraryLock();
}

TEST(ApiLock, WaitersGetTheLockInTheirOrderOfArrival) {
    for (int round = 0; round < 5; ++round) {
        LockLibrary();
        std::mutex orderLock;
        std::vector<int> order;
        std::vector<std::thread> threads;
        const int kThreads = 6;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] {
                LockLibrary();
                {
                    std::lock_guard<std::mutex> hold(orderLock);
                    order.push_back(i);
                }
                LockLibrary();   // recursion inside does not disturb the hand-over
                UnlockLibrary();
                UnlockLibrary();
            });
            WaitForWaiters(i + 1);   // thread i has queued before thread i + 1 starts
        }
        UnlockLibrary();
        for (std::thread &t : threads) t.join();
        std::vector<int> expected;
        for (int i = 0; i < kThreads; ++i) expected.push_back(i);
        EXPECT_EQ(order, expected);
        EXPECT_EQ(Waiters(), 0);
    }
    DeleteLibraryLock();
}

TEST(ApiLock, ANewcomerQueuesBehindTheWaiters) {
    LockLibrary();
    std::vector<int> order;
    std::mutex orderLock;
    std::thread first([&] {
        LockLibrary();
        std::lock_guard<std::mutex> hold(orderLock);
        order.push_back(1);
        UnlockLibrary();
    });
    WaitForWaiters(1);
    UnlockLibrary();
    // The releasing thread comes straight back: it must not overtake the waiter.
    LockLibrary();
    {
        std::lock_guard<std::mutex> hold(orderLock);
        order.push_back(0);
    }
    UnlockLibrary();
    first.join();
    EXPECT_EQ(order, (std::vector<int>{1, 0}));
    DeleteLibraryLock();
}

}  // namespace
