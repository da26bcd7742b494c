#include "platform/kernel/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long long ElapsedMs(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    HANDLE e = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(e));
}

TEST(EventTest, AutoResetReleasesOneWait) {
    HANDLE e = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    CloseHandle(e);
}

TEST(EventTest, WaitTimesOutAfterRoughlyTheTimeGiven) {
    HANDLE e = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(e, 60), WAIT_TIMEOUT);
    EXPECT_GE(ElapsedMs(start), 55);
    CloseHandle(e);
}

TEST(EventTest, SetFromAnotherThreadWakesTheWaiter) {
    HANDLE e = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::thread setter([e] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(e);
    });
    auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(e, 10000), WAIT_OBJECT_0);
    EXPECT_LT(ElapsedMs(start), 5000);
    setter.join();
    CloseHandle(e);
}

TEST(EventTest, BadHandlesFail) {
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(nullptr));
    EXPECT_FALSE(ResetEvent(nullptr));
    EXPECT_FALSE(CloseHandle(nullptr));
}

struct ThreadArgs {
    HANDLE go;
    std::atomic<int> ran{0};
};

DWORD WaitThenCount(void* p) {
    auto* args = static_cast<ThreadArgs*>(p);
    WaitForSingleObject(args->go, INFINITE);
    args->ran.fetch_add(1);
    return 7;
}

TEST(ThreadTest, WaitOnThreadEndsWhenRoutineReturns) {
    ThreadArgs args;
    args.go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE t = CreateThread(nullptr, 0, WaitThenCount, &args, 0, &id);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(t, 30), WAIT_TIMEOUT);
    EXPECT_EQ(args.ran.load(), 0);
    SetEvent(args.go);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(args.ran.load(), 1);
    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(t));
    CloseHandle(args.go);
}

TEST(ThreadTest, ClosingRunningThreadHandleLetsItFinish) {
    static ThreadArgs args;
    args.go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE t = CreateThread(nullptr, 0, WaitThenCount, &args, 0, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(CloseHandle(t));
    SetEvent(args.go);
    for (int i = 0; i < 500 && args.ran.load() == 0; ++i) Sleep(10);
    EXPECT_EQ(args.ran.load(), 1);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

TEST(CriticalSectionTest, IsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);  // the owner may enter again
    std::atomic<int> otherGotIt{-1};
    std::thread other([&] { otherGotIt = TryEnterCriticalSection(&cs); });
    other.join();
    EXPECT_EQ(otherGotIt.load(), FALSE);
    LeaveCriticalSection(&cs);
    std::thread stillHeld([&] { otherGotIt = TryEnterCriticalSection(&cs); });
    stillHeld.join();
    EXPECT_EQ(otherGotIt.load(), FALSE);
    LeaveCriticalSection(&cs);

    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            EnterCriticalSection(&cs);
            ++counter;
            LeaveCriticalSection(&cs);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 20000);
    DeleteCriticalSection(&cs);
    EXPECT_EQ(cs.impl, nullptr);
}

TEST(TimeTest, SleepAndTickCountAgree) {
    DWORD before = GetTickCount();
    Sleep(30);
    EXPECT_GE(GetTickCount() - before, 25u);
}

}  // namespace
