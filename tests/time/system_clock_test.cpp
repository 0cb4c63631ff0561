// GetSystemTime, SetSystemTime and the two validators. The clock is never moved: this executable
// defines its own settimeofday, which wins over the C library's for the library's calls, and
// records what would have been set.
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

// The record's fields read as UTC, independently of the zone.
time_t AsUtc(_SYSTEMTIME const& t) {
    struct tm fields = {t.wSecond, t.wMinute, t.wHour, t.wDay, t.wMonth - 1, t.wYear - 1900,
                        0,         0,         0,       0,      nullptr};
    return timegm(&fields);
}

}  // namespace

extern "C" int settimeofday(struct timeval const* value, struct timezone const* zone) noexcept {
    ++g_clock.calls;
    g_clock.value = *value;
    g_clock.zoneGiven = zone != nullptr;
    errno = g_clock.refuse ? EPERM : errno;
    return g_clock.refuse ? -1 : 0;
}

// GetSystemTime reads UTC now; setting it back asks for that instant to the microsecond,
// without a zone argument.
TEST(SystemClockTest, RoundTripThroughGetSystemTime) {
    g_clock = ClockCapture();
    _SYSTEMTIME now;
    GetSystemTime(&now);
    EXPECT_NEAR(time(nullptr), AsUtc(now), 2);
    EXPECT_EQ(0, now.wIsDst);
    now.wMilliseconds = 123;
    EXPECT_EQ(1, SetSystemTime(&now));
    ASSERT_EQ(1, g_clock.calls);
    EXPECT_EQ(AsUtc(now), g_clock.value.tv_sec);
    EXPECT_EQ(123000, g_clock.value.tv_usec);
    EXPECT_FALSE(g_clock.zoneGiven);
}

// Flag 0 reads summer and winter fields as UTC in every zone; a summer-time flag goes through
// mktime, one hour earlier (glibc assumes a one-hour shift even in a zone without summer time).
// West of UTC the first half hour of 1980 is still 1979 locally: refused. Null, invalid and
// refused records give 0.
TEST(SystemClockTest, WhatWouldBeSet) {
    tzset();
    struct {
        _SYSTEMTIME time;
        bool refuse;
        int result;
        time_t shift;  // from the fields read as UTC; -1 when settimeofday is not called
    } const cases[] = {
        {{2024, 7, 0, 1, 12, 0, 0, 999, 0}, false, 1, 0},
        {{2024, 1, 0, 15, 3, 4, 5, 0, 0}, false, 1, 0},
        {{2024, 7, 0, 1, 12, 0, 0, 0, 1}, false, 1, -3600},
        {{1980, 1, 0, 1, 0, 30, 0, 0, 0}, false, timezone > 0 ? 0 : 1, timezone > 0 ? -1 : 0},
        {{2023, 2, 0, 29, 0, 0, 0, 0, 0}, false, 0, -1},
        {{2024, 2, 0, 29, 0, 0, 0, 0, 0}, true, 0, 0},
    };
    for (auto const& c : cases) {
        g_clock = ClockCapture();
        g_clock.refuse = c.refuse;
        _SYSTEMTIME time = c.time;
        EXPECT_EQ(c.result, SetSystemTime(&time)) << AsUtc(time);
        ASSERT_EQ(c.shift == -1 ? 0 : 1, g_clock.calls) << AsUtc(time);
        if (g_clock.calls) {
            EXPECT_EQ(AsUtc(time) + c.shift, g_clock.value.tv_sec);
            EXPECT_EQ(time.wMilliseconds * 1000, g_clock.value.tv_usec);
        }
    }
    EXPECT_EQ(0, SetSystemTime(nullptr));
}

// Year, clock-field, month and day limits, leap days; day of week and flag are not examined.
TEST(ValidateDateTimeTest, Boundaries) {
    struct {
        _SYSTEMTIME time;  // year, month, day of week, day, hour, minute, second, ms, flag
        int expected;
    } const cases[] = {
        {{1979, 12, 0, 31, 23, 59, 59, 999, 0}, 0}, {{1980, 1, 9, 1, 0, 0, 0, 0, 7}, 1},
        {{2037, 12, 0, 31, 23, 59, 59, 999, 0}, 1}, {{2038, 1, 0, 1, 0, 0, 0, 0, 0}, 0},
        {{2000, 6, 0, 1, 24, 0, 0, 0, 0}, 0},       {{2000, 6, 0, 1, 0, 60, 0, 0, 0}, 0},
        {{2000, 6, 0, 1, 0, 0, 60, 0, 0}, 0},       {{2000, 6, 0, 1, 0, 0, 0, 1000, 0}, 0},
        {{2000, 0, 0, 1, 0, 0, 0, 0, 0}, 0},        {{2000, 13, 0, 1, 0, 0, 0, 0, 0}, 0},
        {{2000, 5, 0, 0, 0, 0, 0, 0, 0}, 0},        {{2001, 4, 0, 30, 0, 0, 0, 0, 0}, 1},
        {{2001, 4, 0, 31, 0, 0, 0, 0, 0}, 0},       {{2001, 12, 0, 32, 0, 0, 0, 0, 0}, 0},
        {{2000, 2, 0, 29, 0, 0, 0, 0, 0}, 1},       {{2024, 2, 0, 29, 0, 0, 0, 0, 0}, 1},
        {{2023, 2, 0, 29, 0, 0, 0, 0, 0}, 0},       {{2024, 2, 0, 30, 0, 0, 0, 0, 0}, 0},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.expected, bValidateDateTime(&c.time)) << "case " << &c - cases;
}

// The file-time range is inclusive at both ends to the 100-ns tick, and the value is signed.
TEST(ValidateFileTimeRangeTest, Boundaries) {
    unsigned long long const top = 0x8000000000000000ULL;
    struct {
        unsigned long long value;
        int expected;
    } const cases[] = {{119600063999999999ULL, 0}, {119600064000000000ULL, 1},
                       {137903903990000000ULL, 1}, {137903903990000001ULL, 0},
                       {0xFFFFFFFFULL, 0},         {top | 130000000000000000ULL, 0}};
    for (auto const& c : cases) {
        _FILETIME time = {static_cast<unsigned int>(c.value),
                          static_cast<unsigned int>(c.value >> 32)};
        EXPECT_EQ(c.expected, bValidateFileTimeRange(&time)) << c.value;
    }
}
