// Events, waits, threads and recursive critical sections.
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <atomic>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(Events, ManualResetStaysSetForEveryWaiterUntilReset)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(event));
}

TEST(Events, AutoResetLetsOneWaitThrough)
{
    HANDLE event = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    SetEvent(event);
    SetEvent(event);  // not counted: still one pass
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(Events, StaleAndForeignHandlesAreRefused)
{
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_FALSE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    int notAHandle = 0;
    EXPECT_EQ(WaitForSingleObject(&notAHandle, INFINITE), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

struct Relay {
    HANDLE request;
    HANDLE reply;
    std::atomic<int> seen{0};
};

DWORD RelayThread(LPVOID param)
{
    auto *relay = static_cast<Relay *>(param);
    for (int i = 0; i < 100; ++i) {
        WaitForSingleObject(relay->request, INFINITE);
        relay->seen.fetch_add(1);
        SetEvent(relay->reply);
    }
    return 7;
}

TEST(Threads, EventHandOverAndExitCode)
{
    Relay relay;
    relay.request = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    relay.reply = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, RelayThread, &relay, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    for (int i = 0; i < 100; ++i) {
        SetEvent(relay.request);
        ASSERT_EQ(WaitForSingleObject(relay.reply, INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(relay.seen.load(), i + 1);
    }
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
    EXPECT_TRUE(CloseHandle(thread));
    CloseHandle(relay.request);
    CloseHandle(relay.reply);
    EXPECT_EQ(PlatformTestLiveThreadCount(), 0);
}

DWORD ReportId(LPVOID param)
{
    *static_cast<DWORD *>(param) = GetCurrentThreadId();
    return GetCurrentThreadId() == *static_cast<DWORD *>(param) ? 0 : 1;
}

TEST(Threads, IdsAreStableDistinctAndMatchCreateThread)
{
    DWORD main = GetCurrentThreadId();
    EXPECT_EQ(GetCurrentThreadId(), main);
    EXPECT_NE(main, 0xFFFFFFFFu);
    DWORD given = 0, seen = 0;
    HANDLE thread = CreateThread(nullptr, 0, ReportId, &seen, 0, &given);
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(seen, given);
    EXPECT_NE(seen, main);
    CloseHandle(thread);
}

DWORD WaitThenReturn(LPVOID param)
{
    WaitForSingleObject(static_cast<HANDLE>(param), INFINITE);
    return 3;
}

TEST(Threads, ClosingTheHandleOfARunningThreadIsSafe)
{
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitThenReturn, go, 0, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    SetEvent(go);
    while (PlatformTestLiveThreadCount() != 0)
        Sleep(0);
    CloseHandle(go);
}

struct Shared {
    CRITICAL_SECTION cs;
    long counter = 0;
    int depthErrors = 0;
};

DWORD NestedIncrements(LPVOID param)
{
    auto *shared = static_cast<Shared *>(param);
    for (int i = 0; i < 2000; ++i) {
        EnterCriticalSection(&shared->cs);
        EnterCriticalSection(&shared->cs);  // recursion, as the allocator logging inside its lock does
        long before = shared->counter;
        shared->counter = before + 1;
        LeaveCriticalSection(&shared->cs);
        // Still held after the inner leave: nobody else may have moved the counter.
        if (shared->counter != before + 1)
            ++shared->depthErrors;
        LeaveCriticalSection(&shared->cs);
    }
    return 0;
}

TEST(CriticalSections, RecursiveAndExclusiveAcrossThreads)
{
    Shared shared;
    InitializeCriticalSection(&shared.cs);
    std::vector<HANDLE> threads;
    for (int i = 0; i < 4; ++i)
        threads.push_back(CreateThread(nullptr, 0, NestedIncrements, &shared, 0, nullptr));
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    EXPECT_EQ(shared.counter, 8000);
    EXPECT_EQ(shared.depthErrors, 0);
    DeleteCriticalSection(&shared.cs);
}

TEST(ExitProcessDeathTest, ExitsWithTheLowByteAtOnce)
{
    EXPECT_EXIT(ExitProcess(0xFFFFFFFFu), ::testing::ExitedWithCode(255), "");
    EXPECT_EXIT(ExitProcess(0x102u), ::testing::ExitedWithCode(2), "");
}

}  // namespace

namespace {

TEST(Handles, AStaleHandleNeverReachesANewerObject)
{
    HANDLE first = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(first);
    HANDLE second = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(first, second);
    EXPECT_FALSE(SetEvent(first));
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    CloseHandle(second);
}

}  // namespace
