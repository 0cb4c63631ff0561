// CPortableTime from calendar fields and MS-DOS words, its broken-down views and formatting, and
// the parts and formatting of CPortableTimeSpan. Registered under several TZ settings.
#include <limits.h>
#include <string.h>
#include <time.h>

#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"

// The local calendar fields of `time` as "YYYY-MM-DD hh:mm:ss".
static std::string Local(CPortableTime const& time) {
    struct tm fields;
    char text[32] = "";
    if (time.GetLocalTm(&fields) != nullptr)
        strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
    return text;
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
    for (auto const& c : dos)
        EXPECT_EQ(c.expected,
                  Local(CPortableTime((c.year - 1980) << 9 | c.month << 5 | c.day,
                                      c.hour << 11 | c.minute << 5 | c.secondsField, -1)));
    EXPECT_EQ("2024-03-05 06:07:08", Local(CPortableTime(2024, 3, 5, 6, 7, 8, -1)));
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
    EXPECT_STREQ(expected.tm_zone, local.tm_zone);
    ASSERT_EQ(&utc, summer.GetGmtTm(&utc));
    EXPECT_EQ(12, utc.tm_hour);
    EXPECT_EQ(1, utc.tm_wday);
    EXPECT_EQ(gmtime(&value), summer.GetGmtTm(nullptr));
    EXPECT_EQ(nullptr, CPortableTime(LONG_MAX).GetGmtTm(&utc));
}

// UTC and local text; 127 characters fit the buffer, 128 or an empty expansion give "".
TEST(CPortableTimeTest, FormatTextAndLimit) {
    EXPECT_STREQ("2024-07-01 12:00:00 Mon",
                 CPortableTime(1719835200L).FormatGmt("%Y-%m-%d %H:%M:%S %a"));
    EXPECT_STREQ("2024-03-05 06:07:08",
                 CPortableTime(2024, 3, 5, 6, 7, 8, -1).Format("%Y-%m-%d %H:%M:%S"));
    std::string const fits(127, 'x');
    EXPECT_STREQ(fits.c_str(), CPortableTime(0L).FormatGmt(fits.c_str()));
    EXPECT_EQ(0, CPortableTime(0L).Format((fits + "%Y").c_str()).GetLength());
    EXPECT_EQ(0, CPortableTime(0L).Format("").GetLength());
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
    EXPECT_EQ(huge / 3600 % 24, CPortableTimeSpan(huge).GetHours());
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
