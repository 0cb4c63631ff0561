// Formatting of CPortableTime (strftime into 128 bytes) and CPortableTimeSpan (own escapes).
#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"

// UTC and local text; 127 characters fit the buffer, 128 or an empty expansion give "".
TEST(CPortableTimeFormatTest, TextAndLimit) {
    EXPECT_STREQ("2024-07-01 12:00:00 Mon",
                 CPortableTime(1719835200L).FormatGmt("%Y-%m-%d %H:%M:%S %a"));
    EXPECT_STREQ("2024-03-05 06:07:08",
                 CPortableTime(2024, 3, 5, 6, 7, 8, -1).Format("%Y-%m-%d %H:%M:%S"));
    std::string const fits(127, 'x');
    EXPECT_STREQ(fits.c_str(), CPortableTime(0L).FormatGmt(fits.c_str()));
    EXPECT_EQ(0, CPortableTime(0L).Format((fits + "%Y").c_str()).GetLength());
    EXPECT_EQ(0, CPortableTime(0L).Format("").GetLength());
}

// The four span escapes, two digits with the sign kept for negative spans; "%x" gives x.
TEST(CPortableTimeSpanFormatTest, Escapes) {
    EXPECT_STREQ("1 days 02:03:04", CPortableTimeSpan(93784).Format("%D days %H:%M:%S"));
    EXPECT_STREQ("-1:-30", CPortableTimeSpan(-90).Format("%M:%S"));
    EXPECT_STREQ("-1 -2:-3:-4", CPortableTimeSpan(-93784).Format("%D %H:%M:%S"));
    EXPECT_STREQ("100% x", CPortableTimeSpan(0).Format("100%% %x"));
}

// Output is never cut and never overruns: long expansions grow past 127 characters, and a
// trailing lone "%" is dropped.
TEST(CPortableTimeSpanFormatTest, UnboundedAndTrailingPercent) {
    std::string format, expected;
    for (int i = 0; i < 60; ++i) {
        format += "%D:";
        expected += "-12345:";
    }
    CPortableString const text = CPortableTimeSpan(-12345L * 86400).Format(format.c_str());
    EXPECT_EQ(static_cast<int>(expected.size()), text.GetLength());
    EXPECT_STREQ(expected.c_str(), text);
    EXPECT_STREQ("50", CPortableTimeSpan(1).Format("50%"));
    EXPECT_EQ(0, CPortableTimeSpan(1).Format("%").GetLength());
}
