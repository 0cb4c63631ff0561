// Events: reset modes, waits and timeouts, post targets, dumps.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "threads.h"

namespace {

// Manual reset: signalled for every wait until reset. Auto reset: created signalled it stays so,
// and a set with nobody waiting leaves no trace. The forwarding names and the invalid handle.
TEST(EventTest, ResetModes) {
    void* manual = GetCreatePortableEvent(nullptr, 1, 1, "ignored");
    EXPECT_EQ(0u, GetWaitForPortableEvent(manual, kInfinite));
    EXPECT_EQ(1, ResetEvent(manual));
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(manual, 0));
    EXPECT_EQ(1, SetPortableEvent(manual));
    EXPECT_EQ(0u, WaitForPortableEvent(manual, 0));
    EXPECT_EQ(1, GetResetPortableEvent(manual));
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(manual, 0));
    ClosePortableEvent(manual);

    TestEvent automatic(0, 1);
    EXPECT_EQ(0u, WaitForPortableEvent(automatic, 0));
    EXPECT_EQ(0u, WaitForPortableEvent(automatic, 0));
    automatic.ResetEvent();
    EXPECT_EQ(1, automatic.SetPortableEvent());
    ExpectTimeout(200, [&](unsigned int ms) { return WaitForPortableEvent(automatic, ms); });

    EXPECT_EQ(1, SetPortableEvent(reinterpret_cast<void*>(~0ul)));
    EXPECT_EQ(0, CPortableEvent(1).IsOK());
}

// One auto-reset set releases exactly one of two waiters; a manual-reset set releases all.
TEST(EventTest, SetReleasesOneWaiterOrAll) {
    for (int manual = 0; manual <= 1; ++manual) {
        TestEvent event(manual, 0);
        std::atomic<int> released(0);
        auto waiter = [&] { released += WaitForPortableEvent(event, kGenerousMs) == 0; };
        {
            JoiningThread first(waiter), second(waiter);
            ShortPause();
            event.SetPortableEvent();
            if (!manual) {
                ShortPause();
                EXPECT_EQ(1, released.load());
                event.SetPortableEvent();
            }
        }
        EXPECT_EQ(2, released.load()) << "manual " << manual;
    }
}

// A zero timeout never blocks; the deadline carries whole seconds out of the nanoseconds, so a
// 999 ms wait lasts 999 ms whatever the clock read on entry.
TEST(EventTest, Timeouts) {
    TestEvent event(1, 0);
    for (unsigned int ms : {0u, 999u}) {
        ExpectTimeout(ms,
                      [&](unsigned int timeout) { return WaitForPortableEvent(event, timeout); });
    }
}

// Post targets: registration reports the signalled state, a set writes the index under the
// target's mutex, a second registration replaces the first and removal silences the event.
TEST(EventTest, PostTargets) {
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    unsigned int first = 0, second = 0;
    bool alreadySet = false;
    TestEvent signalled(1, 1);
    AddPostTargetAndIndex(signalled, &cond, &mutex, 1, &first, &alreadySet);
    EXPECT_TRUE(alreadySet);
    RemovePostTarget(signalled, &cond, &mutex);

    TestEvent event(0, 0);
    AddPostTargetAndIndex(event, &cond, &mutex, 7, &first, &alreadySet);
    EXPECT_FALSE(alreadySet);
    AddPostTargetAndIndex(event, &cond, &mutex, 9, &second, &alreadySet);
    event.SetPortableEvent();
    EXPECT_EQ(0u, first);
    EXPECT_EQ(9u, second);
    RemovePostTarget(event, nullptr, nullptr);
    second = 0;
    event.SetPortableEvent();
    EXPECT_EQ(0u, second);
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
