// The three timed waits under a system clock that jumps an hour forward or backward as the wait
// starts. The machine's clock is never touched: this program interposes clock_gettime and
// gettimeofday, so every reading of CLOCK_REALTIME, in the library too, carries the jump.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

#include "thread_test_support.h"

namespace {

// Seconds added to every reading of the real-time clock.
std::atomic<long> realtimeJump(0);

}  // namespace

extern "C" int clock_gettime(clockid_t clock, timespec* now) {
    int const rc = static_cast<int>(syscall(SYS_clock_gettime, clock, now));
    if (rc == 0 && clock == CLOCK_REALTIME) {
        now->tv_sec += realtimeJump.load();
    }
    return rc;
}

extern "C" int gettimeofday(timeval* now, void* zone) {
    int const rc = static_cast<int>(syscall(SYS_gettimeofday, now, zone));
    if (rc == 0) {
        now->tv_sec += realtimeJump.load();
    }
    return rc;
}

namespace {

void* WaitForGate(void* gate) {
    WaitForPortableEvent(gate, kGenerousMs);
    return nullptr;
}

class ClockJumpTest : public testing::TestWithParam<long> {
protected:
    // The jump applies from here on, as the wait under test starts.
    void Jump() { realtimeJump = GetParam(); }
    void TearDown() override { realtimeJump = 0; }

    // Runs `wait` with a 200 ms timeout: it must last its full 200 ms, and not much longer.
    template <typename Wait>
    void ExpectFullTimeout(Wait wait) {
        Clock::time_point const start = Clock::now();
        Jump();
        EXPECT_EQ(kTimedOut, wait(200u));
        EXPECT_LE(200, MillisecondsSince(start));
        EXPECT_GT(5000, MillisecondsSince(start));
    }
};

// The interposers are what every library resolves these names to, and they read the jump.
TEST_P(ClockJumpTest, RealTimeClockReadsTheJump) {
    EXPECT_EQ(reinterpret_cast<void*>(&clock_gettime), dlsym(RTLD_DEFAULT, "clock_gettime"));
    EXPECT_EQ(reinterpret_cast<void*>(&gettimeofday), dlsym(RTLD_DEFAULT, "gettimeofday"));
    Jump();
    timespec jumped;
    timespec real;
    clock_gettime(CLOCK_REALTIME, &jumped);
    syscall(SYS_clock_gettime, CLOCK_REALTIME, &real);
    EXPECT_NEAR(GetParam(), jumped.tv_sec - real.tv_sec, 2);
}

// WaitForPortableEvent ends at its own deadline, and at once with 0 when set.
TEST_P(ClockJumpTest, EventWait) {
    TestEvent event(1, 0);
    ExpectFullTimeout([&](unsigned int timeout) { return WaitForPortableEvent(event, timeout); });
    JoiningThread setter([&] {
        ShortPause();
        event.SetPortableEvent();
    });
    EXPECT_EQ(0u, WaitForPortableEvent(event, kGenerousMs));
}

// WaitForMultipleObjects ends at its own deadline, and with the index when one is set.
TEST_P(ClockJumpTest, MultipleObjectsWait) {
    TestEvent first(0, 0);
    TestEvent second(0, 0);
    void* handles[2] = {first, second};
    ExpectFullTimeout(
        [&](unsigned int timeout) { return WaitForMultipleObjects(2, handles, 0, timeout); });
    JoiningThread setter([&] {
        ShortPause();
        second.SetPortableEvent();
    });
    EXPECT_EQ(1u, WaitForMultipleObjects(2, handles, 0, kGenerousMs));
}

// WaitForPortableThread ends at its own deadline, and with 0 once the thread ends.
TEST_P(ClockJumpTest, ThreadWait) {
    TestEvent gate(1, 0);
    CPortableThread thread;
    thread.BeginThread("clock", WaitForGate, gate, nullptr);
    ExpectFullTimeout(
        [&](unsigned int timeout) { return WaitForPortableThread(&thread, timeout); });
    JoiningThread opener([&] {
        ShortPause();
        gate.SetPortableEvent();
    });
    EXPECT_EQ(0u, WaitForPortableThread(&thread, kGenerousMs));
}

INSTANTIATE_TEST_SUITE_P(HourForwardAndBack, ClockJumpTest, testing::Values(3600L, -3600L));

}  // namespace
