#include <string.h>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "array_new_counter.h"
#include "string_test_support.h"

// The character search rejects a start at the end, the substring search accepts it; all
// searches stop at the first zero byte.
TEST(StringSearchTest, StartAtTheEndAndEmbeddedZeros) {
    CPortableString s("abc");
    EXPECT_EQ(-1, s.Find('a', 3));
    EXPECT_EQ(3, s.Find("", 3));
    EXPECT_EQ(-1, s.Find("", 4));
    EXPECT_EQ(3, s.Find('\0'));
    EXPECT_EQ(0, s.Find('a', -5));  // a negative start is taken as 0
    CPortableString zeros("a,b\0,c", 6);
    EXPECT_EQ(-1, zeros.Find('c'));
    EXPECT_EQ(1, zeros.ReverseFind(','));
    EXPECT_EQ(1, zeros.FindOneOf(";,"));
    EXPECT_EQ(-1, zeros.FindOneOf(""));
}

// Whole-string extractions share the block; parts get exact private blocks.
TEST(StringExtractTest, LeftRightAndSpans) {
    CPortableString s("12345");
    EXPECT_TRUE(OnSentinel(s.Left(-1)));
    EXPECT_TRUE(OnSentinel(s.Right(-1)));
    CPortableString whole = s.Left(10);
    EXPECT_TRUE(SameBlock(s, whole));
    EXPECT_TRUE(SameBlock(s, s.Right(5)));
    CPortableString right = s.Right(2);
    EXPECT_STREQ("45", right);
    EXPECT_EQ(2, Capacity(right));
    EXPECT_STREQ("123", CPortableString("123abc").SpanIncluding("0123456789"));
    EXPECT_STREQ("ab", CPortableString("ab,c").SpanExcluding(",;"));
}

// Mid clamps the first index and the count in a fixed order.
TEST(StringExtractTest, MidClamping) {
    CPortableString s("abcdef");
    EXPECT_STREQ("abc", s.Mid(-2, 3));
    EXPECT_STREQ("ef", s.Mid(4, 10));
    EXPECT_TRUE(OnSentinel(s.Mid(7)));
    EXPECT_TRUE(OnSentinel(s.Mid(3, -1)));
    EXPECT_TRUE(OnSentinel(s.Mid(9, 2)));
    EXPECT_TRUE(SameBlock(s, s.Mid(0)));
    EXPECT_TRUE(SameBlock(s, s.Mid(-3)));
    EXPECT_STREQ("cd", s.Mid(2, 2));
}

// Trims remove white space or chosen characters from the ends; all-space text ends empty.
TEST(StringTrimTest, TrimsFromBothEnds) {
    CPortableString s("  x\t");
    s.TrimLeft();
    EXPECT_STREQ("x\t", s);
    EXPECT_EQ(2, s.GetLength());
    s.TrimRight();
    EXPECT_STREQ("x", s);
    EXPECT_EQ(1, s.GetLength());

    CPortableString spaces(" \t\n\v\f\r");
    CPortableString other(spaces);
    spaces.TrimRight();
    other.TrimLeft();
    EXPECT_EQ(0, spaces.GetLength() + other.GetLength());
    CPortableString marks("xxaxbxx");
    marks.TrimLeft('x');
    marks.TrimRight('x');
    EXPECT_STREQ("axb", marks);
    CPortableString punct(";,a;b,;");
    punct.TrimLeft(",;");
    punct.TrimRight(",;");
    EXPECT_STREQ("a;b", punct);
    EXPECT_EQ(3, punct.GetLength());
}

// An empty trim set returns at once: a shared block stays shared.
TEST(StringTrimTest, EmptySetKeepsSharing) {
    CPortableString s("  a  ");
    CPortableString copy(s);
    s.TrimLeft("");
    s.TrimLeft(static_cast<char const*>(nullptr));
    EXPECT_TRUE(SameBlock(s, copy));
    s.TrimRight(static_cast<char const*>(nullptr));
    EXPECT_STREQ("  a  ", s);
}

// Remove and Replace(char, char) work by length and count what they change.
TEST(StringEditTest, RemoveAndReplaceCharacters) {
    CPortableString s("hello");
    EXPECT_EQ(2, s.Remove('l'));
    EXPECT_STREQ("heo", s);
    EXPECT_EQ(3, s.GetLength());
    CPortableString zeros("a\0b\0", 4);
    EXPECT_EQ(2, zeros.Remove('\0'));
    EXPECT_STREQ("ab", zeros);
    EXPECT_EQ(2, zeros.GetLength());

    CPortableString t("a.b.c");
    CPortableString copy(t);
    EXPECT_EQ(0, t.Replace('.', '.'));
    EXPECT_TRUE(SameBlock(t, copy));
    EXPECT_EQ(2, t.Replace('.', '/'));
    EXPECT_STREQ("a/b/c", t);
    EXPECT_STREQ("a.b.c", copy);
}

// Substring replacement: non-overlapping hits, replacement text never searched again, and
// exactly one allocation when the text must grow.
TEST(StringEditTest, ReplaceSubstrings) {
    CPortableString s("ababab");
    EXPECT_EQ(3, s.Replace("ab", "x"));
    EXPECT_STREQ("xxx", s);
    EXPECT_EQ(6, Capacity(s));  // shrunk in place

    CPortableString grow("aa");
    long before = ArrayAllocations();
    EXPECT_EQ(2, grow.Replace("a", "aa"));
    EXPECT_EQ(1, ArrayAllocations() - before);
    EXPECT_STREQ("aaaa", grow);
    EXPECT_EQ(4, Capacity(grow));

    CPortableString overlap("aaa");
    EXPECT_EQ(1, overlap.Replace("aa", "b"));
    EXPECT_STREQ("ba", overlap);

    CPortableString erase("a-b-c");
    EXPECT_EQ(2, erase.Replace("-", nullptr));
    EXPECT_STREQ("abc", erase);
    EXPECT_EQ(0, erase.Replace("", "x"));

    CPortableString none("abc");
    CPortableString copy(none);
    EXPECT_EQ(0, none.Replace("zz", "y"));
    EXPECT_TRUE(SameBlock(none, copy));
}

// Replacement visits every zero-separated segment, also when the text grows in place.
TEST(StringEditTest, ReplaceAcrossEmbeddedZeros) {
    CPortableString s("xa\0a", 4);
    s.GetBuffer(10);
    EXPECT_EQ(2, s.Replace("a", "bc"));
    EXPECT_EQ(6, s.GetLength());
    EXPECT_EQ(0, memcmp("xbc\0bc", static_cast<char const*>(s), 7));
}

// Delete returns the old length; Insert clamps its index and grows to the exact length.
TEST(StringEditTest, DeleteAndInsert) {
    CPortableString s("abcde");
    EXPECT_EQ(5, s.Delete(1, 2));
    EXPECT_STREQ("ade", s);
    EXPECT_EQ(3, s.Delete(5, 1));
    EXPECT_EQ(3, s.Delete(-1, 0));
    EXPECT_EQ(3, s.Delete(2, 10));  // a range past the end is cut there
    EXPECT_STREQ("ad", s);

    CPortableString t("ab");
    EXPECT_EQ(3, t.Insert(99, 'x'));
    EXPECT_STREQ("abx", t);
    EXPECT_EQ(3, Capacity(t));
    EXPECT_EQ(5, t.Insert(-5, "xy"));
    EXPECT_STREQ("xyabx", t);
    EXPECT_EQ(5, Capacity(t));
    EXPECT_EQ(5, t.Insert(1, ""));
    EXPECT_EQ(6, t.Insert(2, '\0'));
    EXPECT_EQ(0, memcmp("xy\0abx", static_cast<char const*>(t), 7));
}

// SetAt, reversal and case changes copy a shared block first; the other holder keeps its text.
TEST(StringEditTest, InPlaceChangesCopyBeforeWrite) {
    CPortableString s("MiXeD 123");
    CPortableString copy(s);
    EXPECT_EQ(2, RefCount(s));
    s.MakeLower();
    EXPECT_STREQ("mixed 123", s);
    EXPECT_STREQ("MiXeD 123", copy);
    EXPECT_EQ(1, RefCount(copy));
    s.MakeUpper();
    EXPECT_STREQ("MIXED 123", s);

    CPortableString odd("abc");
    odd.MakeReverse();
    EXPECT_STREQ("cba", odd);
    odd.SetAt(1, '\0');
    EXPECT_EQ(3, odd.GetLength());
    EXPECT_STREQ("c", odd);
}
