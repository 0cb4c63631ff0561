// Helpers shared by the thread tests.
#ifndef VELQON_TESTS_THREAD_TEST_SUPPORT_H
#define VELQON_TESTS_THREAD_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "VelqonThread.h"

constexpr unsigned int kInfinite = 0xFFFFFFFFu;
constexpr unsigned int kTimedOut = 258;
// Bound on waits that are expected to end: generous, so that a loaded machine never trips it.
constexpr unsigned int kGenerousMs = 10000;

// An event closed with the object.
struct TestEvent : CPortableEvent {
    TestEvent(int manualReset, int initialState) : CPortableEvent(1) {
        CreatePortableEvent(nullptr, manualReset, initialState, nullptr);
    }
};

// A std::thread joined when it goes out of scope, so no test leaves a thread behind.
struct JoiningThread : std::thread {
    using std::thread::thread;
    ~JoiningThread() { join(); }
};

// A short pause, long enough for another thread that is about to block to do so.
inline void ShortPause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

// wait(ms) returns 258, no sooner than ms later and well within a few seconds more.
template <typename Wait>
void ExpectTimeout(unsigned int ms, Wait wait) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point const start = Clock::now();
    EXPECT_EQ(kTimedOut, wait(ms));
    long const elapsed = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    EXPECT_LE(static_cast<long>(ms), elapsed);
    EXPECT_GT(ms + 5000L, elapsed);
}

#endif  // VELQON_TESTS_THREAD_TEST_SUPPORT_H
