// Timed waits under a jumping real-time clock: this program interposes clock_gettime, so every
// reading of CLOCK_REALTIME, in the library too, carries the jump; the machine's clock is kept.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <functional>

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

namespace {

void* WaitForGate(void* gate) {
    WaitForPortableEvent(gate, kGenerousMs);
    return nullptr;
}

// Timed waits under an hour's clock jump: 0 ms, a limit's length (999 ms), a prompt release.
TEST(ClockJumpTest, TimedWaits) {
    EXPECT_EQ(reinterpret_cast<void*>(&clock_gettime), dlsym(RTLD_DEFAULT, "clock_gettime"));
    for (long const jump : {3600L, -3600L}) {
        SCOPED_TRACE(jump);
        realtimeJump = jump;
        timespec jumped, real;
        clock_gettime(CLOCK_REALTIME, &jumped);
        syscall(SYS_clock_gettime, CLOCK_REALTIME, &real);
        EXPECT_NEAR(jump, jumped.tv_sec - real.tv_sec, 2);
        TestEvent event(1, 0), other(0, 0), two(0, 0), done(1, 1), last(1, 0), gate(1, 0);
        void* any[3] = {nullptr, other, two};
        void* all[3] = {done, nullptr, last};
        CPortableThread thread;
        thread.BeginThread("clock", WaitForGate, gate, nullptr);
        auto const check = [](std::function<unsigned int(unsigned int)> const& wait,
                              unsigned int limit, void* release, unsigned int released) {
            ExpectTimeout(0, wait);
            ExpectTimeout(limit, wait);
            auto const releaser = SetLater(release);
            ExpectPrompt(released, wait);
        };
        check([&](unsigned int ms) { return WaitForPortableEvent(event, ms); }, 999, event, 0);
        check([&](unsigned int ms) { return WaitForMultipleObjects(3, any, 0, ms); }, 200, two, 2);
        check([&](unsigned int ms) { return WaitForMultipleObjects(3, all, 1, ms); }, 200, last, 0);
        check([&](unsigned int ms) { return WaitForPortableThread(&thread, ms); }, 200, gate, 0);
    }
    realtimeJump = 0;
}

}  // namespace
