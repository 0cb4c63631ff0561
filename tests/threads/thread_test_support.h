// Helpers shared by the thread tests.
#ifndef VELQON_TESTS_THREAD_TEST_SUPPORT_H
#define VELQON_TESTS_THREAD_TEST_SUPPORT_H

#include <chrono>
#include <thread>
#include <utility>

#include "VelqonThread.h"

constexpr unsigned int kInfinite = 0xFFFFFFFFu;
constexpr unsigned int kTimedOut = 258;
// Bound on waits that are expected to end: generous, so that a loaded machine never trips it.
constexpr unsigned int kGenerousMs = 10000;

using Clock = std::chrono::steady_clock;

inline long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// An event closed with the object.
struct TestEvent : CPortableEvent {
    TestEvent(int manualReset, int initialState) : CPortableEvent(1) {
        CreatePortableEvent(nullptr, manualReset, initialState, nullptr);
    }
};

// A std::thread joined when it goes out of scope, so no test leaves a thread behind.
class JoiningThread {
public:
    template <typename F>
    explicit JoiningThread(F&& body) : thread_(std::forward<F>(body)) {}
    ~JoiningThread() { thread_.join(); }

private:
    std::thread thread_;
};

// A short pause, long enough for another thread that is about to block to do so.
inline void ShortPause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

#endif  // VELQON_TESTS_THREAD_TEST_SUPPORT_H
