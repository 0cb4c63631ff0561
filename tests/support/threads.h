// Helpers of the tests that wait: events closed with their object, joined threads, and bounds on
// waits generous enough for a loaded machine but tight enough to catch a lost wake-up.
#ifndef VELQON_TESTS_SUPPORT_THREADS_H
#define VELQON_TESTS_SUPPORT_THREADS_H

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
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

// Sets `handle` from another thread after a short pause, when the caller has had time to block.
inline std::unique_ptr<JoiningThread> SetLater(void* handle) {
    return std::make_unique<JoiningThread>([handle] {
        ShortPause();
        SetPortableEvent(handle);
    });
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

// wait(kGenerousMs) returns `result`, and in less than half that time. A wait that looks at its
// state again at the deadline still succeeds after a lost wake-up, only at the deadline.
template <typename Wait>
void ExpectPrompt(unsigned int result, Wait wait) {
    auto const soon = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGenerousMs / 2);
    EXPECT_EQ(result, wait(kGenerousMs));
    EXPECT_TRUE(std::chrono::steady_clock::now() < soon) << "a wake-up was lost";
}

#endif  // VELQON_TESTS_SUPPORT_THREADS_H
