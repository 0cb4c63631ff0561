// Events: reset modes, waits and timeouts, post targets, dumps.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "thread_test_support.h"

namespace {

void* const kInvalid = reinterpret_cast<void*>(~0ul);

// A manual-reset event stays signalled for every wait until reset; the forwarding names act alike.
TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    void* event = GetCreatePortableEvent(nullptr, 1, 1, "ignored");
    EXPECT_EQ(0u, WaitForPortableEvent(event, 0));
    EXPECT_EQ(0u, GetWaitForPortableEvent(event, kInfinite));
    EXPECT_EQ(1, ResetEvent(event));
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(event, 0));
    EXPECT_EQ(1, SetPortableEvent(event));
    EXPECT_EQ(0u, WaitForPortableEvent(event, 0));
    EXPECT_EQ(1, GetResetPortableEvent(event));
    EXPECT_EQ(kTimedOut, GetWaitForPortableEvent(event, 0));
    ClosePortableEvent(event);
}

// An auto-reset event created signalled is not consumed by waits; a set with nobody waiting
// leaves no trace for a later wait.
TEST(EventTest, AutoResetSetIsAPulse) {
    TestEvent created(0, 1);
    EXPECT_EQ(0u, WaitForPortableEvent(created, 0));
    EXPECT_EQ(0u, WaitForPortableEvent(created, 0));
    EXPECT_EQ(1, created.ResetEvent());
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(created, 0));

    TestEvent pulsed(0, 0);
    EXPECT_EQ(1, pulsed.SetPortableEvent());
    Clock::time_point const start = Clock::now();
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(pulsed, 200));
    EXPECT_LE(200, MillisecondsSince(start));
    EXPECT_GT(5000, MillisecondsSince(start));
}

// One auto-reset set releases exactly one of two waiters; a manual-reset set releases all.
TEST(EventTest, SetReleasesOneWaiterOrAll) {
    for (int manual = 0; manual <= 1; ++manual) {
        TestEvent event(manual, 0);
        std::atomic<int> released(0);
        auto waiter = [&] {
            if (WaitForPortableEvent(event, kGenerousMs) == 0) {
                ++released;
            }
        };
        {
            JoiningThread first(waiter);
            JoiningThread second(waiter);
            ShortPause();
            event.SetPortableEvent();
            if (!manual) {
                ShortPause();
                EXPECT_EQ(1, released.load());
                event.SetPortableEvent();
            }
        }
        EXPECT_EQ(2, released.load()) << "manual " << manual;
        EXPECT_EQ(manual ? 0u : kTimedOut, WaitForPortableEvent(event, 0));
    }
}

// Deadlines carry whole seconds out of the milliseconds: a 999 ms wait lasts 999 ms, whatever
// the clock's nanoseconds were on entry, and a zero timeout never blocks.
TEST(EventTest, TimeoutsLastTheirFullLength) {
    TestEvent event(1, 0);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(event, 0));
    EXPECT_GT(5000, MillisecondsSince(start));
    for (unsigned int timeout : {999u, 1500u}) {
        start = Clock::now();
        EXPECT_EQ(kTimedOut, WaitForPortableEvent(event, timeout));
        EXPECT_LE(static_cast<long>(timeout), MillisecondsSince(start));
        EXPECT_GT(static_cast<long>(timeout) + 5000, MillisecondsSince(start));
    }
}

// The invalid handle is tolerated by SetPortableEvent and the wrapper, which never closes it;
// a wrapper built not to close leaves its event open.
TEST(EventTest, InvalidHandleAndCloseOnDestroy) {
    EXPECT_EQ(1, SetPortableEvent(kInvalid));
    CPortableEvent empty(1);
    EXPECT_EQ(0, empty.IsOK());
    EXPECT_EQ(kInvalid, static_cast<void*>(empty));
    EXPECT_EQ(1, empty.SetPortableEvent());

    void* handle;
    {
        CPortableEvent keeper(0);
        EXPECT_EQ(1, keeper.CreatePortableEvent(nullptr, 1, 1, nullptr));
        EXPECT_EQ(1, keeper.IsOK());
        handle = keeper;
    }
    EXPECT_EQ(0u, WaitForPortableEvent(handle, 0));
    ClosePortableEvent(handle);
}

// Post targets: registration reports the signalled state, a set writes the index under the
// target's mutex, a second registration replaces the first and removal silences the event.
TEST(EventTest, PostTargetRegistration) {
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    unsigned int firstSlot = 0;
    unsigned int secondSlot = 0;
    bool alreadySet = false;

    TestEvent signalled(1, 1);
    AddPostTargetAndIndex(signalled, &cond, &mutex, 1, &firstSlot, &alreadySet);
    EXPECT_TRUE(alreadySet);
    RemovePostTarget(signalled, &cond, &mutex);

    TestEvent event(0, 0);
    AddPostTargetAndIndex(event, &cond, &mutex, 7, &firstSlot, &alreadySet);
    EXPECT_FALSE(alreadySet);
    AddPostTargetAndIndex(event, &cond, &mutex, 9, &secondSlot, &alreadySet);
    event.SetPortableEvent();
    EXPECT_EQ(0u, firstSlot);
    EXPECT_EQ(9u, secondSlot);
    RemovePostTarget(event, nullptr, nullptr);
    secondSlot = 0;
    event.SetPortableEvent();
    EXPECT_EQ(0u, secondSlot);
    EXPECT_FALSE(static_cast<CPortableEventData*>(static_cast<void*>(event))->postActive);
}

// The dumps print their exact texts.
TEST(EventTest, DumpTexts) {
    TestEvent event(1, 1);
    char expected[64];
    snprintf(expected, sizeof expected, "event 0x%lx set = 1\n",
             reinterpret_cast<unsigned long>(static_cast<void*>(event)));
    testing::internal::CaptureStdout();
    DumpEvent(event);
    event.ResetEvent();
    event.Dump();
    EXPECT_EQ(std::string(expected) + "CPortableEvent: cond->set 0\n",
              testing::internal::GetCapturedStdout());
}

}  // namespace
