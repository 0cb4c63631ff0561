// CPortableTime construction from calendar fields and MS-DOS words, its broken-down views, and
// the parts of CPortableTimeSpan. Run under several TZ settings (see CMakeLists.txt).
#include <limits.h>
#include <string.h>
#include <time.h>

#include <gtest/gtest.h>

#include "VelqonMFC.h"

namespace {

struct tm Local(CPortableTime const& time) {
    struct tm fields;
    EXPECT_NE(nullptr, time.GetLocalTm(&fields));
    return fields;
}

void ExpectLocal(CPortableTime const& time, int year, int month, int day, int hour, int minute,
                 int second) {
    struct tm const fields = Local(time);
    EXPECT_EQ(year, fields.tm_year + 1900);
    EXPECT_EQ(month, fields.tm_mon + 1);
    EXPECT_EQ(day, fields.tm_mday);
    EXPECT_EQ(hour, fields.tm_hour);
    EXPECT_EQ(minute, fields.tm_min);
    EXPECT_EQ(second, fields.tm_sec);
}

unsigned short DosDate(int year, int month, int day) {
    return static_cast<unsigned short>(((year - 1980) << 9) | (month << 5) | day);
}

unsigned short DosTime(int hour, int minute, int secondsField) {
    return static_cast<unsigned short>((hour << 11) | (minute << 5) | secondsField);
}

}  // namespace

// MS-DOS words decode as local time; the first representable DOS date is local midnight.
TEST(CPortableTimeTest, DosWordsDecodeAsLocalTime) {
    ExpectLocal(CPortableTime(0x0021, 0, -1), 1980, 1, 1, 0, 0, 0);
    ExpectLocal(CPortableTime(DosDate(2023, 11, 30), DosTime(23, 59, 29), -1), 2023, 11, 30, 23, 59,
                58);
    // Local midnight is the zone offset away from the UTC epoch value of 1980-01-01.
    struct tm utcMidnight = {};
    utcMidnight.tm_year = 80;
    utcMidnight.tm_mday = 1;
    EXPECT_EQ(timegm(&utcMidnight) - Local(CPortableTime(0x0021, 0, -1)).tm_gmtoff,
              CPortableTime(0x0021, 0, -1).GetTime());
}

// Out-of-range DOS fields are not validated; mktime carries them over.
TEST(CPortableTimeTest, DosFieldsOutOfRangeAreNormalised) {
    ExpectLocal(CPortableTime(DosDate(2001, 6, 10), DosTime(10, 20, 30), -1), 2001, 6, 10, 10, 21,
                0);
    ExpectLocal(CPortableTime(DosDate(2001, 6, 10), DosTime(10, 20, 31), -1), 2001, 6, 10, 10, 21,
                2);
    ExpectLocal(CPortableTime(DosDate(1990, 0, 15), DosTime(8, 0, 0), -1), 1989, 12, 15, 8, 0, 0);
}

// Calendar fields are read as local time and normalised, not validated.
TEST(CPortableTimeTest, CalendarFieldsAreNormalised) {
    ExpectLocal(CPortableTime(2024, 3, 5, 6, 7, 8, -1), 2024, 3, 5, 6, 7, 8);
    ExpectLocal(CPortableTime(2023, 13, 10, 12, 0, 0, -1), 2024, 1, 10, 12, 0, 0);
    ExpectLocal(CPortableTime(2024, 3, 0, 12, 0, 0, -1), 2024, 2, 29, 12, 0, 0);
    ExpectLocal(CPortableTime(2023, 3, 0, 12, 0, 0, -1), 2023, 2, 28, 12, 0, 0);
}

// A caller record is filled completely (zone fields included) and its address returned.
TEST(CPortableTimeTest, BrokenDownIntoCallerRecord) {
    CPortableTime const summer(1719835200L);  // 2024-07-01 12:00:00 UTC
    struct tm local;
    memset(&local, 0x5A, sizeof local);
    ASSERT_EQ(&local, summer.GetLocalTm(&local));
    time_t const value = summer.GetTime();
    struct tm expected;
    localtime_r(&value, &expected);
    EXPECT_EQ(expected.tm_hour, local.tm_hour);
    EXPECT_EQ(expected.tm_isdst, local.tm_isdst);
    EXPECT_EQ(expected.tm_yday, local.tm_yday);
    EXPECT_EQ(expected.tm_wday, local.tm_wday);
    EXPECT_EQ(expected.tm_gmtoff, local.tm_gmtoff);
    EXPECT_STREQ(expected.tm_zone, local.tm_zone);

    struct tm utc;
    memset(&utc, 0x5A, sizeof utc);
    ASSERT_EQ(&utc, summer.GetGmtTm(&utc));
    EXPECT_EQ(124, utc.tm_year);
    EXPECT_EQ(6, utc.tm_mon);
    EXPECT_EQ(12, utc.tm_hour);
    EXPECT_EQ(1, utc.tm_wday);  // a Monday
    EXPECT_EQ(0, utc.tm_isdst);
}

// Without a caller record the C library's shared static record is handed out.
TEST(CPortableTimeTest, NullRecordYieldsSharedStaticRecord) {
    time_t const epoch = 0;
    struct tm* const shared = CPortableTime(0L).GetGmtTm(nullptr);
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(gmtime(&epoch), shared);
    EXPECT_EQ(localtime(&epoch), CPortableTime(0L).GetLocalTm(nullptr));
}

// A value the C library cannot break down yields null, with or without a caller record.
TEST(CPortableTimeTest, UnconvertibleValueYieldsNull) {
    CPortableTime const huge(LONG_MAX);
    struct tm fields;
    EXPECT_EQ(nullptr, huge.GetGmtTm(&fields));
    EXPECT_EQ(nullptr, huge.GetLocalTm(nullptr));
}

// Span parts restart at each day, hour and minute and all carry the sign of the span.
TEST(CPortableTimeSpanTest, PartsOfPositiveAndNegativeSpans) {
    CPortableTimeSpan const span(93784);  // 1 day 02:03:04
    EXPECT_EQ(93784, span.GetTotalSeconds());
    EXPECT_EQ(1563, span.GetTotalMinutes());
    EXPECT_EQ(26, span.GetTotalHours());
    EXPECT_EQ(1, span.GetDays());
    EXPECT_EQ(2, span.GetHours());
    EXPECT_EQ(3, span.GetMinutes());
    EXPECT_EQ(4, span.GetSeconds());

    CPortableTimeSpan const negative(-90);
    EXPECT_EQ(0, negative.GetHours());
    EXPECT_EQ(-1, negative.GetMinutes());
    EXPECT_EQ(-30, negative.GetSeconds());

    CPortableTimeSpan const back(-93784);
    EXPECT_EQ(-1, back.GetDays());
    EXPECT_EQ(-2, back.GetHours());
    EXPECT_EQ(-3, back.GetMinutes());
    EXPECT_EQ(-4, back.GetSeconds());
}

// Totals keep only their low 32 bits, yet the parts stay exact for any 64-bit span.
TEST(CPortableTimeSpanTest, HugeSpansTruncateTotalsButKeepPartsExact) {
    long const value = 0x7FFFFFFFFFFFL;  // about 4.5 million years
    CPortableTimeSpan const span(value);
    EXPECT_EQ(value, span.GetTotalSeconds());
    EXPECT_EQ(static_cast<int>(static_cast<unsigned>(value / 60)), span.GetTotalMinutes());
    EXPECT_EQ(static_cast<int>(value / 86400), span.GetDays());
    EXPECT_EQ(value / 3600 % 24, span.GetHours());
    EXPECT_EQ(value / 60 % 60, span.GetMinutes());
    EXPECT_EQ(value % 60, span.GetSeconds());

    CPortableTimeSpan const negative(-value);
    EXPECT_EQ(-(value / 3600 % 24), negative.GetHours());
    EXPECT_EQ(-(value / 60 % 60), negative.GetMinutes());
    EXPECT_EQ(-(value % 60), negative.GetSeconds());
}
