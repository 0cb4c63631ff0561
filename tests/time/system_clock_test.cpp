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
    bool refuse;  // answer as for a caller without the privilege
};
ClockCapture g_clock;

// Starts each test with a fresh capture that accepts the call.
class SystemClockTest : public ::testing::Test {
protected:
    void SetUp() override { g_clock = ClockCapture(); }
};

_SYSTEMTIME Record(int year, int month, int day, int hour, int minute, int second, int milliseconds,
                   int isDst) {
    _SYSTEMTIME time = {};
    time.wYear = static_cast<unsigned short>(year);
    time.wMonth = static_cast<unsigned short>(month);
    time.wDay = static_cast<unsigned short>(day);
    time.wHour = static_cast<unsigned short>(hour);
    time.wMinute = static_cast<unsigned short>(minute);
    time.wSecond = static_cast<unsigned short>(second);
    time.wMilliseconds = static_cast<unsigned short>(milliseconds);
    time.wIsDst = static_cast<unsigned short>(isDst);
    return time;
}

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
    if (g_clock.refuse) {
        errno = EPERM;
        return -1;
    }
    return 0;
}

// GetSystemTime breaks the current time down in UTC, with milliseconds and the day of week.
TEST_F(SystemClockTest, GetSystemTimeReadsUtcNow) {
    time_t const before = time(nullptr);
    _SYSTEMTIME now;
    GetSystemTime(&now);
    time_t const after = time(nullptr);
    time_t const read = AsUtc(now);
    EXPECT_LE(before, read);
    EXPECT_GE(after, read);
    EXPECT_LE(now.wMilliseconds, 999);
    EXPECT_EQ(0, now.wIsDst);
    struct tm fields;
    gmtime_r(&read, &fields);
    EXPECT_EQ(fields.tm_wday, now.wDayOfWeek);
}

// Setting the clock to what GetSystemTime read asks for that UTC instant, to the microsecond,
// without a zone argument.
TEST_F(SystemClockTest, SetSystemTimeRoundTripsGetSystemTime) {
    _SYSTEMTIME now;
    GetSystemTime(&now);
    now.wMilliseconds = 123;
    EXPECT_EQ(1, SetSystemTime(&now));
    ASSERT_EQ(1, g_clock.calls);
    EXPECT_EQ(AsUtc(now), g_clock.value.tv_sec);
    EXPECT_EQ(123000, g_clock.value.tv_usec);
    EXPECT_FALSE(g_clock.zoneGiven);
}

// A summer and a winter date with flag 0 are both read as UTC in every zone.
TEST_F(SystemClockTest, StandardTimeFlagReadsFieldsAsUtc) {
    for (_SYSTEMTIME time :
         {Record(2024, 7, 1, 12, 0, 0, 999, 0), Record(2024, 1, 15, 3, 4, 5, 0, 0)}) {
        g_clock = ClockCapture();
        EXPECT_EQ(1, SetSystemTime(&time));
        EXPECT_EQ(AsUtc(time), g_clock.value.tv_sec);
        EXPECT_EQ(time.wMilliseconds * 1000, g_clock.value.tv_usec);
    }
}

// A summer-time flag goes to mktime, which reads the fields as summer time: the instant set is
// one hour earlier, in a zone that keeps summer time and (as glibc's mktime assumes a one-hour
// shift) in one that does not.
TEST_F(SystemClockTest, SummerTimeFlagSetsOneHourEarlier) {
    _SYSTEMTIME time = Record(2024, 7, 1, 12, 0, 0, 0, 1);
    EXPECT_EQ(1, SetSystemTime(&time));
    EXPECT_EQ(AsUtc(time) - 3600, g_clock.value.tv_sec);
}

// A record whose local date falls before 1980 is refused without touching the clock: west of
// UTC, the first half hour of 1980 is still 1979 locally.
TEST_F(SystemClockTest, LocalDateBefore1980IsRefused) {
    _SYSTEMTIME time = Record(1980, 1, 1, 0, 30, 0, 0, 0);
    tzset();
    if (timezone > 0) {
        EXPECT_EQ(0, SetSystemTime(&time));
        EXPECT_EQ(0, g_clock.calls);
    } else {
        EXPECT_EQ(1, SetSystemTime(&time));
        EXPECT_EQ(315534600, g_clock.value.tv_sec);
    }
}

// Null and invalid records, and a refused settimeofday, all give 0.
TEST_F(SystemClockTest, FailuresReturnZero) {
    EXPECT_EQ(0, SetSystemTime(nullptr));
    _SYSTEMTIME invalid = Record(2023, 2, 29, 0, 0, 0, 0, 0);
    EXPECT_EQ(0, SetSystemTime(&invalid));
    EXPECT_EQ(0, g_clock.calls);

    g_clock.refuse = true;
    _SYSTEMTIME valid = Record(2024, 2, 29, 0, 0, 0, 0, 0);
    EXPECT_EQ(0, SetSystemTime(&valid));
    EXPECT_EQ(1, g_clock.calls);
}

// optdb_compare is an exported no-op.
TEST(OptdbCompareTest, ReturnsZero) {
    EXPECT_EQ(0, optdb_compare());
}
