// bValidateDateTime and bValidateFileTimeRange at every boundary of 1980-01-01 .. 2037-12-31.
#include <gtest/gtest.h>

#include "velqontools.h"

// Year, clock-field, month and day limits, leap days; day of week and flag are not examined.
TEST(ValidateDateTimeTest, Boundaries) {
    struct Case {
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
    for (Case const& c : cases)
        EXPECT_EQ(c.expected, bValidateDateTime(&c.time))
            << c.time.wYear << "-" << c.time.wMonth << "-" << c.time.wDay << " " << c.time.wHour
            << ":" << c.time.wMinute << ":" << c.time.wSecond << "." << c.time.wMilliseconds;
}

// The file-time range is inclusive at both ends to the 100-ns tick, and the value is signed.
TEST(ValidateFileTimeRangeTest, Boundaries) {
    struct Case {
        unsigned long long value;
        int expected;
    } const cases[] = {
        {119600063999999999ULL, 0}, {119600064000000000ULL, 1},
        {137903903990000000ULL, 1}, {137903903990000001ULL, 0},
        {0xFFFFFFFFULL, 0},         {0x8000000000000000ULL | 130000000000000000ULL, 0},
    };
    for (Case const& c : cases) {
        _FILETIME time = {static_cast<unsigned int>(c.value),
                          static_cast<unsigned int>(c.value >> 32)};
        EXPECT_EQ(c.expected, bValidateFileTimeRange(&time)) << c.value;
    }
}
