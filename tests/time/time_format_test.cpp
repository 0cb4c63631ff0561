// Formatting of CPortableTime (strftime into 128 bytes) and CPortableTimeSpan (own escapes).
#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"

// UTC formatting of a known instant, and local formatting of local calendar fields, agree with
// the fields in every zone.
TEST(CPortableTimeFormatTest, UtcAndLocalText) {
    EXPECT_STREQ("2024-07-01 12:00:00 Mon",
                 CPortableTime(1719835200L).FormatGmt("%Y-%m-%d %H:%M:%S %a"));
    EXPECT_STREQ("2024-03-05 06:07:08",
                 CPortableTime(2024, 3, 5, 6, 7, 8, -1).Format("%Y-%m-%d %H:%M:%S"));
}

// 127 characters fit the 128-byte buffer; 128 and an empty expansion give the empty string.
TEST(CPortableTimeFormatTest, ExpansionLimit) {
    CPortableTime const time(0L);
    std::string const fits(127, 'x');
    CPortableString const text = time.FormatGmt(fits.c_str());
    EXPECT_EQ(127, text.GetLength());
    EXPECT_STREQ(fits.c_str(), text);
    EXPECT_EQ(0, time.FormatGmt((fits + "y").c_str()).GetLength());
    EXPECT_EQ(0, time.Format((fits + "%Y").c_str()).GetLength());
    EXPECT_EQ(0, time.Format("").GetLength());
    EXPECT_EQ(_portablePchNil, static_cast<char const*>(time.Format("")));
}

// The four span escapes, zero-padded to two digits with the sign kept for negative spans.
TEST(CPortableTimeSpanFormatTest, Escapes) {
    EXPECT_STREQ("1 days 02:03:04", CPortableTimeSpan(93784).Format("%D days %H:%M:%S"));
    EXPECT_STREQ("-1:-30", CPortableTimeSpan(-90).Format("%M:%S"));
    EXPECT_STREQ("-1 -2:-3:-4", CPortableTimeSpan(-93784).Format("%D %H:%M:%S"));
    EXPECT_STREQ("00:05", CPortableTimeSpan(5).Format("%M:%S"));
    EXPECT_STREQ("100% x", CPortableTimeSpan(0).Format("100%% %x"));
}

// The result is never cut and never overruns: long expansions grow, a trailing lone "%" is
// dropped, an empty format gives the empty string.
TEST(CPortableTimeSpanFormatTest, UnboundedAndTrailingPercent) {
    std::string format;
    std::string expected;
    for (int i = 0; i < 60; ++i) {
        format += "%D:";
        expected += "-12345:";
    }
    CPortableString const text = CPortableTimeSpan(-12345L * 86400).Format(format.c_str());
    EXPECT_EQ(static_cast<int>(expected.size()), text.GetLength());
    EXPECT_STREQ(expected.c_str(), text);
    EXPECT_STREQ("50", CPortableTimeSpan(1).Format("50%"));
    EXPECT_STREQ("", CPortableTimeSpan(1).Format("%"));
    EXPECT_EQ(0, CPortableTimeSpan(1).Format("").GetLength());
}
