#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "allocation.h"
#include "string_probes.h"

namespace {

// The result of one editing call on a fresh string made from `text`.
struct Edit {
    int returned;
    CPortableString after;
};
template <typename Call>
Edit Edited(std::string const& text, Call call) {
    CPortableString s(text.data(), static_cast<int>(text.size()));
    int const returned = call(s);
    return {returned, s};
}

// A call that replaces the string by its token at `start` and returns the start after it.
auto Token(char const* delimiters, int start) {
    return [=](CPortableString& s) mutable {
        s = s.Tokenize(delimiters, start);
        return start;
    };
}

}  // namespace

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

// Left, Right and Mid clamp their index and count in a fixed order; a whole-string result shares
// the block, an empty one is the sentinel, a part gets an exact private block.
TEST(StringExtractTest, ClampingAndSharing) {
    CPortableString s("abcdef");
    struct {
        CPortableString result;
        std::string text;
    } const rows[] = {
        {s.Left(-1), ""},    {s.Right(-1), ""},     {s.Left(10), "abcdef"}, {s.Right(6), "abcdef"},
        {s.Right(2), "ef"},  {s.Mid(-2, 3), "abc"}, {s.Mid(4, 10), "ef"},   {s.Mid(7), ""},
        {s.Mid(3, -1), ""},  {s.Mid(9, 2), ""},     {s.Mid(0), "abcdef"},   {s.Mid(-3), "abcdef"},
        {s.Mid(2, 2), "cd"},
    };
    for (auto const& row : rows) {
        EXPECT_EQ(row.text, Text(row.result));
        EXPECT_EQ(row.text.empty(), OnSentinel(row.result)) << row.text;
        EXPECT_EQ(row.text == "abcdef", SameBlock(s, row.result)) << row.text;
        EXPECT_EQ(row.text.size(), static_cast<size_t>(Capacity(row.result))) << row.text;
    }
    EXPECT_STREQ("123", CPortableString("123abc").SpanIncluding("0123456789"));
    EXPECT_STREQ("ab", CPortableString("ab,c").SpanExcluding(",;"));
}

// Trims, Remove, Replace, Delete and Insert work by length and return what the legacy calls
// return: changes made, or the old (Delete) or new (Insert) length. Trims take white space or
// chosen characters from the ends, and all-space text ends empty. Tokenize skips delimiters and
// moves its start past the one that ends the token (-1 when none is left). Replacement takes
// non-overlapping hits and never searches its own text again; shortening happens in place, growth
// allocates the exact length; Delete clamps a negative index to 0 and cuts a range at the end;
// Insert clamps its index into the string.
TEST(StringEditTest, ReturnsTextAndCapacity) {
    using S = CPortableString&;
    struct {
        Edit edit;
        int returned;
        std::string text;
        int capacity;
    } const rows[] = {
        {Edited("  x\t", [](S s) { return s.TrimLeft(), 0; }), 0, "x\t", 4},
        {Edited("  x\t", [](S s) { return s.TrimRight(), 0; }), 0, "  x", 4},
        {Edited(" \t\n\v\f\r", [](S s) { return s.TrimLeft(), 0; }), 0, "", 6},
        {Edited(" \t\n\v\f\r", [](S s) { return s.TrimRight(), 0; }), 0, "", 6},
        {Edited("xxaxbxx", [](S s) { return s.TrimLeft('x'), s.TrimRight('x'), 0; }), 0, "axb", 7},
        {Edited(";,a;b,;", [](S s) { return s.TrimLeft(",;"), s.TrimRight(",;"), 0; }), 0, "a;b",
         7},
        {Edited("hello", [](S s) { return s.Remove('l'); }), 2, "heo", 5},
        {Edited(std::string("a\0b\0", 4), [](S s) { return s.Remove('\0'); }), 2, "ab", 4},
        {Edited("a.b.c", [](S s) { return s.Replace('.', '/'); }), 2, "a/b/c", 5},
        {Edited("ababab", [](S s) { return s.Replace("ab", "x"); }), 3, "xxx", 6},
        {Edited("aa", [](S s) { return s.Replace("a", "aa"); }), 2, "aaaa", 4},
        {Edited("aaa", [](S s) { return s.Replace("aa", "b"); }), 1, "ba", 3},
        {Edited("a-b-c", [](S s) { return s.Replace("-", nullptr); }), 2, "abc", 5},
        {Edited("abc", [](S s) { return s.Replace("", "x"); }), 0, "abc", 3},
        {Edited("abcde", [](S s) { return s.Delete(1, 2); }), 5, "ade", 5},
        {Edited("ade", [](S s) { return s.Delete(5, 1); }), 3, "ade", 3},
        {Edited("ade", [](S s) { return s.Delete(-1, 0); }), 3, "ade", 3},
        {Edited("abc", [](S s) { return s.Delete(-1, 1); }), 3, "bc", 3},
        {Edited("ade", [](S s) { return s.Delete(2, 10); }), 3, "ad", 3},
        {Edited("ab", [](S s) { return s.Insert(99, 'x'); }), 3, "abx", 3},
        {Edited("abx", [](S s) { return s.Insert(-5, "xy"); }), 5, "xyabx", 5},
        {Edited("xyabx", [](S s) { return s.Insert(1, ""); }), 5, "xyabx", 5},
        {Edited("xyabx", [](S s) { return s.Insert(2, '\0'); }), 6, std::string("xy\0abx", 6), 6},
        {Edited("  x\t", [](S s) { return s.Trim(), 0; }), 0, "x", 4},
        {Edited("xxaxx", [](S s) { return s.Trim('x'), 0; }), 0, "a", 5},
        {Edited(";a,", [](S s) { return s.Trim(",;"), 0; }), 0, "a", 3},
        {Edited("ab", [](S s) { return s.AppendChar('\0'), 0; }), 0, std::string("ab\0", 3), 3},
        {Edited("Abc", [](S s) { return s.CompareNoCase("aBC"); }), 0, "Abc", 3},
        {Edited("Abc", [](S s) { return s.CompareNoCase("B") < 0; }), 1, "Abc", 3},
        {Edited(",,ab,c", Token(",", 0)), 5, "ab", 2},
        {Edited(",,ab,c", Token(",", 5)), 7, "c", 1},
        {Edited(std::string("a\0;b", 4), Token(";", 0)), 3, std::string("a\0", 2), 2},
        {Edited("a b", Token(nullptr, 0)), 4, "a b", 3},
        {Edited(",;", Token(",;", 0)), -1, "", 2},
        {Edited("ab", Token(",", 2)), -1, "", 2},
        {Edited("ab", Token(",", -1)), -1, "", 2},
    };
    for (auto const& row : rows) {
        EXPECT_EQ(row.returned, row.edit.returned) << row.text;
        EXPECT_EQ(row.text, Text(row.edit.after));
        EXPECT_EQ(row.capacity, Capacity(row.edit.after)) << row.text;
    }
}

// Replacing with no change and TrimLeft with an empty or null set keep sharing; TrimRight with a
// null set trims nothing; growth costs exactly one allocation, and replacement visits every
// zero-separated segment, also when the text grows in place.
TEST(StringEditTest, SharingAllocationAndEmbeddedZeros) {
    CPortableString none(" a.b ");
    CPortableString copy(none);
    none.TrimLeft("");
    none.TrimLeft(static_cast<char const*>(nullptr));
    EXPECT_EQ(0, none.Replace("zz", "y"));
    EXPECT_EQ(0, none.Replace('.', '.'));
    EXPECT_TRUE(SameBlock(none, copy));
    EXPECT_EQ(1, none.Replace('.', '/'));
    EXPECT_STREQ(" a.b ", copy);
    copy.TrimRight(static_cast<char const*>(nullptr));
    EXPECT_STREQ(" a.b ", copy);

    CPortableString grow("aa");
    long const before = ArrayAllocations();
    grow.Replace("a", "aa");
    EXPECT_EQ(1, ArrayAllocations() - before);

    CPortableString s("xa\0a", 4);
    s.GetBuffer(10);
    EXPECT_EQ(2, s.Replace("a", "bc"));
    EXPECT_EQ(std::string("xbc\0bc", 6), Text(s));
}

// SetAt, reversal and case changes copy a shared block first; the other holder keeps its text.
TEST(StringEditTest, InPlaceChangesCopyBeforeWrite) {
    CPortableString s("MiXeD 123");
    CPortableString copy(s);
    s.MakeLower();
    EXPECT_STREQ("mixed 123", s);
    EXPECT_STREQ("MiXeD 123", copy);
    EXPECT_EQ(1, RefCount(copy));
    s.MakeUpper();
    EXPECT_STREQ("MIXED 123", s);
    CPortableString odd("abc");
    CPortableString oddCopy(odd);
    odd.MakeReverse();
    EXPECT_STREQ("cba", odd);
    odd.SetAt(1, '\0');
    EXPECT_EQ(3, odd.GetLength());
    EXPECT_STREQ("c", odd);
    EXPECT_STREQ("abc", oddCopy);
}
