// The time subsystem: CPortableTime from calendar fields and MS-DOS words, its broken-down views
// and formatting; CPortableTimeSpan parts and formatting; GetSystemTime, SetSystemTime and the
// validators. Registered under several TZ settings. The clock is never moved: this executable
// defines its own settimeofday, which wins over the C library's for the library's calls, and
// records what would have been set.
#include <errno.h>
#include <limits.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
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

// The local calendar fields of `time` as "YYYY-MM-DD hh:mm:ss".
std::string Local(CPortableTime const& time) {
    struct tm fields;
    char text[32] = "";
    if (time.GetLocalTm(&fields) != nullptr) {
        strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
    }
    return text;
}

}  // namespace

extern "C" int settimeofday(struct timeval const* value, struct timezone const* zone) noexcept {
    ++g_clock.calls;
    g_clock.value = *value;
    g_clock.zoneGiven = zone != nullptr;
    errno = g_clock.refuse ? EPERM : errno;
    return g_clock.refuse ? -1 : 0;
}

// DOS words and calendar fields are read as local time; out-of-range fields are carried over
// by mktime, never validated.
TEST(CPortableTimeTest, DosWordsAndCalendarFields) {
    struct {
        int year, month, day, hour, minute, secondsField;
        char const* expected;
    } const dos[] = {{1980, 1, 1, 0, 0, 0, "1980-01-01 00:00:00"},
                     {2023, 11, 30, 23, 59, 29, "2023-11-30 23:59:58"},
                     {2001, 6, 10, 10, 20, 30, "2001-06-10 10:21:00"},
                     {2001, 6, 10, 10, 20, 31, "2001-06-10 10:21:02"},
                     {1990, 0, 15, 8, 0, 0, "1989-12-15 08:00:00"}};
    for (auto const& c : dos) {
        EXPECT_EQ(c.expected,
                  Local(CPortableTime((c.year - 1980) << 9 | c.month << 5 | c.day,
                                      c.hour << 11 | c.minute << 5 | c.secondsField, -1)));
    }
    EXPECT_EQ("2024-01-10 12:00:00", Local(CPortableTime(2023, 13, 10, 12, 0, 0, -1)));
    EXPECT_EQ("2024-02-29 12:00:00", Local(CPortableTime(2024, 3, 0, 12, 0, 0, -1)));
}

// A caller record is filled completely, zone fields included, and its address returned; without
// one the C library's shared record comes back; an unconvertible value gives null.
TEST(CPortableTimeTest, BrokenDownRecords) {
    CPortableTime const summer(1719835200L);  // 2024-07-01 12:00:00 UTC, a Monday
    time_t const value = summer.GetTime();
    struct tm local, expected, utc;
    memset(&local, 0x5A, sizeof local);
    ASSERT_EQ(&local, summer.GetLocalTm(&local));
    localtime_r(&value, &expected);
    EXPECT_EQ(expected.tm_hour, local.tm_hour);
    EXPECT_EQ(expected.tm_isdst, local.tm_isdst);
    EXPECT_EQ(expected.tm_gmtoff, local.tm_gmtoff);
    ASSERT_EQ(&utc, summer.GetGmtTm(&utc));
    EXPECT_EQ(12, utc.tm_hour);
    EXPECT_EQ(gmtime(&value), summer.GetGmtTm(nullptr));
    EXPECT_EQ(nullptr, CPortableTime(LONG_MAX).GetGmtTm(&utc));
}

// UTC and local text; 127 characters fit the buffer, 128 give "".
TEST(CPortableTimeTest, FormatTextAndLimit) {
    EXPECT_STREQ("2024-07-01 12:00:00 Mon",
                 CPortableTime(1719835200L).FormatGmt("%Y-%m-%d %H:%M:%S %a"));
    EXPECT_STREQ("2024-03-05 06:07:08",
                 CPortableTime(2024, 3, 5, 6, 7, 8, -1).Format("%Y-%m-%d %H:%M:%S"));
    std::string const fits(127, 'x');
    EXPECT_STREQ(fits.c_str(), CPortableTime(0L).FormatGmt(fits.c_str()));
    EXPECT_EQ(0, CPortableTime(0L).Format((fits + "%Y").c_str()).GetLength());
}

// Span parts restart at each day, hour and minute; the totals keep only 32 bits, yet the parts
// stay exact for any 64-bit span.
TEST(CPortableTimeSpanTest, Parts) {
    CPortableTimeSpan const span(93784);  // 1 day 02:03:04
    EXPECT_EQ(26, span.GetTotalHours());
    EXPECT_EQ(1563, span.GetTotalMinutes());
    long const huge = 0x7FFFFFFFFFFFL;
    EXPECT_EQ(static_cast<int>(static_cast<unsigned>(huge / 60)),
              CPortableTimeSpan(huge).GetTotalMinutes());
    EXPECT_EQ(huge / 60 % 60, CPortableTimeSpan(huge).GetMinutes());
    EXPECT_EQ(-(huge % 60), CPortableTimeSpan(-huge).GetSeconds());
}

// The four escapes, two digits with the sign kept for negative spans, "%x" gives x; output is
// never cut (long expansions grow past 127 characters) and a trailing lone "%" is dropped.
TEST(CPortableTimeSpanTest, Format) {
    EXPECT_STREQ("1 days 02:03:04", CPortableTimeSpan(93784).Format("%D days %H:%M:%S"));
    EXPECT_STREQ("-1:-30", CPortableTimeSpan(-90).Format("%M:%S"));
    EXPECT_STREQ("-1 -2:-3:-4", CPortableTimeSpan(-93784).Format("%D %H:%M:%S"));
    EXPECT_STREQ("100% x", CPortableTimeSpan(0).Format("100%% %x"));
    std::string const text(200, 'x');
    EXPECT_STREQ((text + "-12345").c_str(),
                 CPortableTimeSpan(-12345L * 86400).Format((text + "%D").c_str()));
    EXPECT_STREQ("50", CPortableTimeSpan(1).Format("50%"));
}

// GetSystemTime reads UTC now; setting it back asks for that instant to the microsecond,
// without a zone argument.
TEST(SystemClockTest, RoundTripThroughGetSystemTime) {
    g_clock = ClockCapture();
    _SYSTEMTIME now;
    struct timeval before, after;  // not time(): its coarser clock may lag a second edge
    gettimeofday(&before, nullptr);
    GetSystemTime(&now);
    gettimeofday(&after, nullptr);
    EXPECT_TRUE(before.tv_sec <= AsUtc(now) && AsUtc(now) <= after.tv_sec);
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
    // Year, month, day of week, day, hour, minute, second, milliseconds, flag; expected result.
    std::pair<_SYSTEMTIME, int> const cases[] = {
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
    for (auto const& c : cases) {
        EXPECT_EQ(c.second, bValidateDateTime(&c.first)) << "case " << &c - cases;
    }
}

// The file-time range is inclusive at both ends to the 100-ns tick, and the value is signed.
TEST(ValidateFileTimeRangeTest, Boundaries) {
    std::pair<unsigned long long, int> const cases[] = {
        {119600063999999999ULL, 0}, {119600064000000000ULL, 1},
        {137903903990000000ULL, 1}, {137903903990000001ULL, 0},
        {0xFFFFFFFFULL, 0},         {0x8000000000000000ULL | 130000000000000000ULL, 0}};
    for (auto const& c : cases) {
        _FILETIME time = {static_cast<unsigned int>(c.first),
                          static_cast<unsigned int>(c.first >> 32)};
        EXPECT_EQ(c.second, bValidateFileTimeRange(&time)) << c.first;
    }
}
