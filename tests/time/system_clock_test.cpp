// GetSystemTime and SetSystemTime. The clock is never moved: this executable defines its own
// settimeofday, which wins over the C library's for the library's calls, and records what
// would have been set.
#include <errno.h>
#include <sys/time.h>
#include <time.h>

#include <gtest/gtest.h>

#include "velqontools.h"

namespace {

struct ClockCapture {
    int calls;
    struct timeval value;
    bool zoneGiven;
    bool refuse;  // answer as the kernel does to a caller without the privilege
} g_clock;

class SystemClockTest : public ::testing::Test {
protected:
    void SetUp() override { g_clock = ClockCapture(); }
};

// The record's fields read as UTC, independently of the zone.
time_t AsUtc(_SYSTEMTIME const& time) {
    struct tm fields = {};
    fields.tm_year = time.wYear - 1900;
    fields.tm_mon = time.wMonth - 1;
    fields.tm_mday = time.wDay;
    fields.tm_hour = time.wHour;
    fields.tm_min = time.wMinute;
    fields.tm_sec = time.wSecond;
    return timegm(&fields);
}

}  // namespace

extern "C" int settimeofday(struct timeval const* value, struct timezone const* zone) noexcept {
    ++g_clock.calls;
    g_clock.value = *value;
    g_clock.zoneGiven = zone != nullptr;
    if (!g_clock.refuse)
        return 0;
    errno = EPERM;
    return -1;
}

// GetSystemTime reads UTC now; setting it back asks for that instant to the microsecond,
// without a zone argument.
TEST_F(SystemClockTest, RoundTripThroughGetSystemTime) {
    // Bounds from gettimeofday too: time() reads a coarser clock that may lag a second edge.
    struct timeval before, after;
    gettimeofday(&before, nullptr);
    _SYSTEMTIME now;
    GetSystemTime(&now);
    gettimeofday(&after, nullptr);
    EXPECT_LE(before.tv_sec, AsUtc(now));
    EXPECT_GE(after.tv_sec, AsUtc(now));
    EXPECT_EQ(0, now.wIsDst);
    now.wMilliseconds = 123;
    EXPECT_EQ(1, SetSystemTime(&now));
    ASSERT_EQ(1, g_clock.calls);
    EXPECT_EQ(AsUtc(now), g_clock.value.tv_sec);
    EXPECT_EQ(123000, g_clock.value.tv_usec);
    EXPECT_FALSE(g_clock.zoneGiven);
}

// Flag 0 reads summer and winter fields as UTC in every zone; a summer-time flag goes through
// mktime, which makes the instant one hour earlier (glibc assumes a one-hour shift even in a
// zone without summer time).
TEST_F(SystemClockTest, DaylightFlagAndZoneStep) {
    _SYSTEMTIME summer = {2024, 7, 0, 1, 12, 0, 0, 999, 0};
    _SYSTEMTIME winter = {2024, 1, 0, 15, 3, 4, 5, 0, 0};
    EXPECT_EQ(1, SetSystemTime(&summer));
    EXPECT_EQ(AsUtc(summer), g_clock.value.tv_sec);
    EXPECT_EQ(999000, g_clock.value.tv_usec);
    EXPECT_EQ(1, SetSystemTime(&winter));
    EXPECT_EQ(AsUtc(winter), g_clock.value.tv_sec);
    summer.wIsDst = 1;
    EXPECT_EQ(1, SetSystemTime(&summer));
    EXPECT_EQ(AsUtc(summer) - 3600, g_clock.value.tv_sec);
}

// West of UTC the first half hour of 1980 is still 1979 locally: refused, clock untouched.
TEST_F(SystemClockTest, LocalDateBefore1980IsRefused) {
    _SYSTEMTIME early = {1980, 1, 0, 1, 0, 30, 0, 0, 0};
    tzset();
    EXPECT_EQ(timezone > 0 ? 0 : 1, SetSystemTime(&early));
    EXPECT_EQ(timezone > 0 ? 0 : 1, g_clock.calls);
    if (timezone <= 0) {
        EXPECT_EQ(315534600, g_clock.value.tv_sec);
    }
}

// Null and invalid records give 0 without a call; a refused settimeofday gives 0.
TEST_F(SystemClockTest, Failures) {
    _SYSTEMTIME invalid = {2023, 2, 0, 29, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, SetSystemTime(nullptr));
    EXPECT_EQ(0, SetSystemTime(&invalid));
    EXPECT_EQ(0, g_clock.calls);
    g_clock.refuse = true;
    _SYSTEMTIME valid = {2024, 2, 0, 29, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, SetSystemTime(&valid));
    EXPECT_EQ(1, g_clock.calls);
}
