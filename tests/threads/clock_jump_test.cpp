// The three timed waits under a system clock that jumps an hour forward or backward before the
// waits start. The machine's clock is never touched: this program interposes clock_gettime and
// gettimeofday, so every reading of CLOCK_REALTIME, in the library too, carries the jump.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

#include "threads.h"

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

// Each test runs under the jump of its parameter; the steady clock that times it never jumps.
class ClockJumpTest : public testing::TestWithParam<long> {
protected:
    void SetUp() override { realtimeJump = GetParam(); }
    void TearDown() override { realtimeJump = 0; }
    // `wait` lasts its full 200 ms; when `release` is set, it returns `released` at once.
    template <typename Wait>
    void ExpectWaitUnderJump(Wait wait, void* release, unsigned int released) {
        ExpectTimeout(200, wait);
        auto const releaser = SetLater(release);
        ExpectPrompt(released, wait);
    }
};

// The interposers are what every library resolves these names to, and they read the jump.
TEST_P(ClockJumpTest, RealTimeClockReadsTheJump) {
    EXPECT_EQ(reinterpret_cast<void*>(&clock_gettime), dlsym(RTLD_DEFAULT, "clock_gettime"));
    EXPECT_EQ(reinterpret_cast<void*>(&gettimeofday), dlsym(RTLD_DEFAULT, "gettimeofday"));
    timespec jumped, real;
    clock_gettime(CLOCK_REALTIME, &jumped);
    syscall(SYS_clock_gettime, CLOCK_REALTIME, &real);
    EXPECT_NEAR(GetParam(), jumped.tv_sec - real.tv_sec, 2);
}

// WaitForPortableEvent ends at its own deadline, and at once with 0 when set.
TEST_P(ClockJumpTest, EventWait) {
    TestEvent event(1, 0);
    ExpectWaitUnderJump([&](unsigned int ms) { return WaitForPortableEvent(event, ms); }, event, 0);
}

// WaitForMultipleObjects ends at its own deadline, and with the index when one is set.
TEST_P(ClockJumpTest, MultipleObjectsWait) {
    TestEvent first(0, 0), second(0, 0);
    void* handles[2] = {first, second};
    ExpectWaitUnderJump([&](unsigned int ms) { return WaitForMultipleObjects(2, handles, 0, ms); },
                        second, 1);
}

// WaitForPortableThread ends at its own deadline, and with 0 once the thread ends.
TEST_P(ClockJumpTest, ThreadWait) {
    TestEvent gate(1, 0);
    CPortableThread thread;
    thread.BeginThread("clock", WaitForGate, gate, nullptr);
    ExpectWaitUnderJump([&](unsigned int ms) { return WaitForPortableThread(&thread, ms); }, gate,
                        0);
}

INSTANTIATE_TEST_SUITE_P(HourForwardAndBack, ClockJumpTest, testing::Values(3600L, -3600L));

}  // namespace
