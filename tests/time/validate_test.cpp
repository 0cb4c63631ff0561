// bValidateDateTime and bValidateFileTimeRange at every boundary of 1980-01-01 .. 2037-12-31.
#include <gtest/gtest.h>

#include "velqontools.h"

namespace {

int Validate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
             int milliseconds = 0) {
    _SYSTEMTIME time = {};
    time.wYear = static_cast<unsigned short>(year);
    time.wMonth = static_cast<unsigned short>(month);
    time.wDayOfWeek = 9;  // never examined
    time.wDay = static_cast<unsigned short>(day);
    time.wHour = static_cast<unsigned short>(hour);
    time.wMinute = static_cast<unsigned short>(minute);
    time.wSecond = static_cast<unsigned short>(second);
    time.wMilliseconds = static_cast<unsigned short>(milliseconds);
    time.wIsDst = 7;  // never examined
    return bValidateDateTime(&time);
}

int ValidateFileTime(unsigned long long value) {
    _FILETIME time;
    time.dwLowDateTime = static_cast<unsigned int>(value);
    time.dwHighDateTime = static_cast<unsigned int>(value >> 32);
    return bValidateFileTimeRange(&time);
}

}  // namespace

// Years 1980 and 2037 are the ends of the range, to the last millisecond.
TEST(ValidateDateTimeTest, YearRange) {
    EXPECT_EQ(0, Validate(1979, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(1, Validate(1980, 1, 1));
    EXPECT_EQ(1, Validate(2037, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(0, Validate(2038, 1, 1));
    EXPECT_EQ(0, Validate(0, 1, 1));
}

// Each clock field is checked against its own limit.
TEST(ValidateDateTimeTest, ClockFieldLimits) {
    EXPECT_EQ(0, Validate(2000, 6, 1, 24, 0, 0, 0));
    EXPECT_EQ(0, Validate(2000, 6, 1, 0, 60, 0, 0));
    EXPECT_EQ(0, Validate(2000, 6, 1, 0, 0, 60, 0));
    EXPECT_EQ(0, Validate(2000, 6, 1, 0, 0, 0, 1000));
    EXPECT_EQ(0, Validate(2000, 6, 1, 0xFFFF, 0, 0, 0));
}

// Months 1-12, days 1 up to the month's length.
TEST(ValidateDateTimeTest, MonthAndDayLimits) {
    EXPECT_EQ(0, Validate(2000, 0, 1));
    EXPECT_EQ(0, Validate(2000, 13, 1));
    EXPECT_EQ(0, Validate(2000, 5, 0));
    EXPECT_EQ(1, Validate(2001, 1, 31));
    EXPECT_EQ(1, Validate(2001, 4, 30));
    EXPECT_EQ(0, Validate(2001, 4, 31));
    EXPECT_EQ(1, Validate(2001, 12, 31));
    EXPECT_EQ(0, Validate(2001, 12, 32));
}

// 29 February only in leap years (2000 included, as a multiple of 400); never 30 February.
TEST(ValidateDateTimeTest, LeapDay) {
    EXPECT_EQ(1, Validate(2000, 2, 29));
    EXPECT_EQ(1, Validate(2024, 2, 29));
    EXPECT_EQ(1, Validate(1980, 2, 29));
    EXPECT_EQ(0, Validate(2023, 2, 29));
    EXPECT_EQ(0, Validate(2024, 2, 30));
    EXPECT_EQ(0, Validate(2000, 2, 30));
}

// The file-time range is inclusive at both ends, to the 100-ns tick, and signed.
TEST(ValidateFileTimeRangeTest, Boundaries) {
    EXPECT_EQ(0, ValidateFileTime(119600063999999999ULL));
    EXPECT_EQ(1, ValidateFileTime(119600064000000000ULL));
    EXPECT_EQ(1, ValidateFileTime(0x1A8E79FE1D58000ULL));
    EXPECT_EQ(1, ValidateFileTime(137903903990000000ULL));
    EXPECT_EQ(0, ValidateFileTime(137903903990000001ULL));
    EXPECT_EQ(0, ValidateFileTime(0));
    // With the top bit of the high half set the value is negative, not huge.
    EXPECT_EQ(0, ValidateFileTime(0x8000000000000000ULL | 130000000000000000ULL));
    // The halves are combined as high * 2^32 + low.
    EXPECT_EQ(0, ValidateFileTime(0x00000000FFFFFFFFULL));
}
