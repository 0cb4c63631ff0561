// Time beyond the time_format fuzz target, under several TZ settings. The clock is never moved:
// this executable's own settimeofday, which the library calls, records what would have been set.
#include <errno.h>
#include <sys/time.h>
#include <time.h>

#include <tuple>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "velqontools.h"

namespace {

struct ClockCapture {
    int calls;
    struct timeval value;
    bool zoneGiven;
    bool refuse;  // answer as the kernel does to a caller without the privilege
} capture;

// The record's fields read as UTC, independently of the zone.
time_t AsUtc(_SYSTEMTIME const& t) {
    struct tm fields = {t.wSecond, t.wMinute, t.wHour, t.wDay, t.wMonth - 1, t.wYear - 1900,
                        0,         0,         0,       0,      nullptr};
    return timegm(&fields);
}

}  // namespace

extern "C" int settimeofday(struct timeval const* value, struct timezone const* zone) noexcept {
    capture = {capture.calls + 1, *value, zone != nullptr, capture.refuse};
    errno = capture.refuse ? EPERM : errno;
    return capture.refuse ? -1 : 0;
}

// DOS words and calendar fields read as local time, normalised by mktime; the current time.
TEST(CPortableTimeTest, DosWordsAndCalendarFields) {
    std::pair<CPortableTime, char const*> const cases[] = {
        {CPortableTime(0 << 9 | 1 << 5 | 1, 0, -1), "1980-01-01 00:00:00"},
        {CPortableTime(43 << 9 | 11 << 5 | 30, 23 << 11 | 59 << 5 | 29, -1), "2023-11-30 23:59:58"},
        {CPortableTime(21 << 9 | 6 << 5 | 10, 10 << 11 | 20 << 5 | 30, -1), "2001-06-10 10:21:00"},
        {CPortableTime(21 << 9 | 6 << 5 | 10, 10 << 11 | 20 << 5 | 31, -1), "2001-06-10 10:21:02"},
        {CPortableTime(10 << 9 | 0 << 5 | 15, 8 << 11, -1), "1989-12-15 08:00:00"},
        {CPortableTime(2023, 13, 10, 12, 0, 0, -1), "2024-01-10 12:00:00"},
        {CPortableTime(2024, 3, 0, 12, 0, 0, -1), "2024-02-29 12:00:00"},
    };
    for (auto const& [time, expected] : cases) {
        EXPECT_STREQ(expected, CPortableTime(time).Format("%Y-%m-%d %H:%M:%S"));
    }
    time_t const before = time(nullptr), now = CPortableTime::GetCurrentTime().GetTime();
    EXPECT_TRUE(before <= now && now <= time(nullptr) && optdb_compare() == 0);
}

// What SetSystemTime asks settimeofday for, GetSystemTime's reading of now included.
TEST(SystemClockTest, WhatWouldBeSet) {
    _SYSTEMTIME now;
    struct timeval before, after;  // not time(): its coarser clock may lag a second edge
    gettimeofday(&before, nullptr);
    GetSystemTime(&now);
    gettimeofday(&after, nullptr);
    EXPECT_TRUE(before.tv_sec <= AsUtc(now) && AsUtc(now) <= after.tv_sec);
    tzset();
    // Record, refused or not, result, shift from the fields read as UTC (-1: no call). Flag 0 reads
    // the fields as UTC in every zone; a summer-time flag goes through mktime, an hour earlier (in
    // glibc even without summer time); west of UTC, 1980-01-01 00:30 is still 1979: refused.
    std::tuple<_SYSTEMTIME, bool, int, time_t> const cases[] = {
        {now, false, 1, 0},
        {{2024, 7, 0, 1, 12, 0, 0, 999, 0}, false, 1, 0},
        {{2024, 1, 0, 15, 3, 4, 5, 0, 0}, false, 1, 0},
        {{2024, 7, 0, 1, 12, 0, 0, 0, 1}, false, 1, -3600},
        {{1980, 1, 0, 1, 0, 30, 0, 0, 0}, false, timezone > 0 ? 0 : 1, timezone > 0 ? -1 : 0},
        {{2023, 2, 0, 29, 0, 0, 0, 0, 0}, false, 0, -1},
        {{2024, 2, 0, 29, 0, 0, 0, 0, 0}, true, 0, 0},
    };
    for (auto const& [record, refuse, result, shift] : cases) {
        capture = {0, {}, false, refuse};
        _SYSTEMTIME time = record;
        EXPECT_EQ(result, SetSystemTime(&time)) << AsUtc(time);
        ASSERT_EQ(shift == -1 ? 0 : 1, capture.calls) << AsUtc(time);
        EXPECT_TRUE(!capture.calls ||
                    (capture.value.tv_sec == AsUtc(time) + shift &&
                     capture.value.tv_usec == time.wMilliseconds * 1000 && !capture.zoneGiven));
    }
    EXPECT_EQ(0, SetSystemTime(nullptr));
}
