// CPortableTime from calendar fields and MS-DOS words, its broken-down views, and the parts of
// CPortableTimeSpan. Registered under several TZ settings (see CMakeLists.txt).
#include <limits.h>
#include <string.h>
#include <time.h>

#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"

namespace {

// The local calendar fields of `time` as "YYYY-MM-DD hh:mm:ss".
std::string Local(CPortableTime const& time) {
    struct tm fields;
    char text[32] = "";
    if (time.GetLocalTm(&fields) != nullptr)
        strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
    return text;
}

unsigned short DosDate(int year, int month, int day) {
    return static_cast<unsigned short>(((year - 1980) << 9) | (month << 5) | day);
}

unsigned short DosTime(int hour, int minute, int secondsField) {
    return static_cast<unsigned short>((hour << 11) | (minute << 5) | secondsField);
}

}  // namespace

// DOS words decode as local time; out-of-range fields are carried over by mktime.
TEST(CPortableTimeTest, DosWords) {
    EXPECT_EQ("1980-01-01 00:00:00", Local(CPortableTime(0x0021, 0, -1)));
    EXPECT_EQ("2023-11-30 23:59:58",
              Local(CPortableTime(DosDate(2023, 11, 30), DosTime(23, 59, 29), -1)));
    EXPECT_EQ("2001-06-10 10:21:00",
              Local(CPortableTime(DosDate(2001, 6, 10), DosTime(10, 20, 30), -1)));
    EXPECT_EQ("2001-06-10 10:21:02",
              Local(CPortableTime(DosDate(2001, 6, 10), DosTime(10, 20, 31), -1)));
    EXPECT_EQ("1989-12-15 08:00:00",
              Local(CPortableTime(DosDate(1990, 0, 15), DosTime(8, 0, 0), -1)));
}

// Calendar fields are read as local time and normalised, not validated.
TEST(CPortableTimeTest, CalendarFields) {
    EXPECT_EQ("2024-03-05 06:07:08", Local(CPortableTime(2024, 3, 5, 6, 7, 8, -1)));
    EXPECT_EQ("2024-01-10 12:00:00", Local(CPortableTime(2023, 13, 10, 12, 0, 0, -1)));
    EXPECT_EQ("2024-02-29 12:00:00", Local(CPortableTime(2024, 3, 0, 12, 0, 0, -1)));
}

// A caller record is filled completely, zone fields included, and its address returned; without
// one the C library's shared record comes back; an unconvertible value gives null.
TEST(CPortableTimeTest, BrokenDownRecords) {
    CPortableTime const summer(1719835200L);  // 2024-07-01 12:00:00 UTC, a Monday
    time_t const value = summer.GetTime();
    struct tm local, expected;
    memset(&local, 0x5A, sizeof local);
    ASSERT_EQ(&local, summer.GetLocalTm(&local));
    localtime_r(&value, &expected);
    EXPECT_EQ(expected.tm_hour, local.tm_hour);
    EXPECT_EQ(expected.tm_isdst, local.tm_isdst);
    EXPECT_EQ(expected.tm_gmtoff, local.tm_gmtoff);
    EXPECT_STREQ(expected.tm_zone, local.tm_zone);
    struct tm utc;
    ASSERT_EQ(&utc, summer.GetGmtTm(&utc));
    EXPECT_EQ(12, utc.tm_hour);
    EXPECT_EQ(1, utc.tm_wday);
    EXPECT_EQ(gmtime(&value), summer.GetGmtTm(nullptr));
    EXPECT_EQ(nullptr, CPortableTime(LONG_MAX).GetGmtTm(&utc));
}

// Span parts restart at each day, hour and minute and carry the span's sign; the totals keep
// only 32 bits, yet the parts stay exact for any 64-bit span.
TEST(CPortableTimeSpanTest, Parts) {
    CPortableTimeSpan const span(93784);  // 1 day 02:03:04
    EXPECT_EQ(26, span.GetTotalHours());
    EXPECT_EQ(1563, span.GetTotalMinutes());
    EXPECT_EQ(1, span.GetDays());
    EXPECT_EQ(2, span.GetHours());
    EXPECT_EQ(3, span.GetMinutes());
    EXPECT_EQ(4, span.GetSeconds());
    EXPECT_EQ(-1, CPortableTimeSpan(-90).GetMinutes());
    EXPECT_EQ(-30, CPortableTimeSpan(-90).GetSeconds());

    long const huge = 0x7FFFFFFFFFFFL;
    EXPECT_EQ(static_cast<int>(static_cast<unsigned>(huge / 60)),
              CPortableTimeSpan(huge).GetTotalMinutes());
    EXPECT_EQ(huge / 3600 % 24, CPortableTimeSpan(huge).GetHours());
    EXPECT_EQ(huge / 60 % 60, CPortableTimeSpan(huge).GetMinutes());
    EXPECT_EQ(-(huge % 60), CPortableTimeSpan(-huge).GetSeconds());
}
