#include <string.h>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "array_new_counter.h"
#include "string_test_support.h"

// The reserved capacity is the estimate, so it is read back to check the estimate itself.

// An empty format gives the empty string and allocates nothing.
TEST(StringFormatTest, EmptyFormat) {
    CPortableString s;
    long before = ArrayAllocations();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-zero-length"  // the empty format is the case tested
    s.Format("");
#pragma GCC diagnostic pop
    EXPECT_EQ(before, ArrayAllocations());
    EXPECT_TRUE(OnSentinel(s));
}

// Item lengths of the table: strings by their length, integers 32, "f" by trial formatting.
TEST(StringFormatTest, EstimateOfSingleConversions) {
    CPortableString s;
    s.Format("%s", "abc");
    EXPECT_STREQ("abc", s);
    EXPECT_EQ(3, Capacity(s));

    CPortableString n;
    n.Format("%d", 5);
    EXPECT_STREQ("5", n);
    EXPECT_EQ(32, Capacity(n));

    CPortableString f;
    f.Format("%5.2f", 3.14159);
    EXPECT_STREQ(" 3.14", f);
    EXPECT_EQ(10, Capacity(f));  // "3.14159000": width 5, precision 2 + 6

    CPortableString null;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-overflow"  // a null string argument is the case tested
    null.Format("%s", static_cast<char const*>(nullptr));
#pragma GCC diagnostic pop
    EXPECT_EQ(6, Capacity(null));

    CPortableString e;
    e.Format("%e", 1.0);
    EXPECT_EQ(128, Capacity(e));
}

// Literal characters add the rest of the format; "%%" counts from its second character.
TEST(StringFormatTest, LiteralTextAddsTheRestOfTheFormat) {
    CPortableString s;
    s.Format("100%%");
    EXPECT_STREQ("100%", s);
    EXPECT_EQ(5 + 4 + 3 + 1, Capacity(s));

    CPortableString t;
    t.Format("ab%d", 7);
    EXPECT_STREQ("ab7", t);
    EXPECT_EQ(4 + 3 + 32, Capacity(t));  // "ab%d", then "b%d"
}

// Flags, "*" width and precision, and precision cutting of text items.
TEST(StringFormatTest, FlagsWidthAndPrecision) {
    CPortableString hash;
    hash.Format("%#x", 255);
    EXPECT_STREQ("0xff", hash);
    EXPECT_EQ(2 + 32, Capacity(hash));

    CPortableString wide;
    wide.Format("%*d", 40, 7);  // the width comes from the argument list, so nothing is cut
    EXPECT_EQ(40, wide.GetLength());
    EXPECT_EQ(40, Capacity(wide));

    CPortableString cut;
    cut.Format("%.*s|%10s", 2, "abcdef", "xy");
    EXPECT_STREQ("ab|        xy", cut);
    EXPECT_EQ(2 + 5 + 10, Capacity(cut));  // "|" adds the 5 characters "|%10s"
}

// Output longer than the estimate is cut to it.
TEST(StringFormatTest, OutputIsCutAtTheEstimate) {
    CPortableString s;
    s.Format("%lld", 1234567890123LL);  // the second "l" ends the conversion; "d" counts 1
    EXPECT_STREQ("1", s);

    CPortableString i64;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"  // "I64" is a legacy prefix the compiler rejects
    i64.Format("%I64d", 5LL);
#pragma GCC diagnostic pop
    // glibc reads "I" as a flag and 64 as the width; the estimate for the 64-bit mark is 32.
    EXPECT_EQ(32, i64.GetLength());

    CPortableString upperE;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-extra-args"  // "E" is outside the estimate's table
    upperE.Format("%E", 1.5);
#pragma GCC diagnostic pop
    EXPECT_TRUE(OnSentinel(upperE));
}

// "%n" still runs when the estimate is 0 and nothing can be printed.
TEST(StringFormatTest, CountConversionRunsOnEmptyOutput) {
    CPortableString s;
    int written = 99;
    s.Format("%n", &written);
    EXPECT_EQ(0, written);
    EXPECT_TRUE(OnSentinel(s));
}

// A shared string gets a private block; an unshared large enough one is reused.
TEST(StringFormatTest, SharingAndReuse) {
    CPortableString s("old text");
    CPortableString copy(s);
    s.Format("%s-%d", "new", 1);
    EXPECT_STREQ("new-1", s);
    EXPECT_STREQ("old text", copy);
    EXPECT_EQ(1, RefCount(copy));

    char const* buffer = s;
    long before = ArrayAllocations();
    s.Format("%d", 2);
    EXPECT_EQ(before, ArrayAllocations());
    EXPECT_EQ(buffer, static_cast<char const*>(s));
    EXPECT_STREQ("2", s);
}
