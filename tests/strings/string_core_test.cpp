#include <string.h>

#include <new>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "allocation.h"
#include "string_probes.h"

// Every way of building an empty string designates the sentinel (count -1, length and capacity
// 0) and allocates nothing.
TEST(StringCoreTest, EmptyStringsDesignateTheSentinel) {
    long const before = ArrayAllocations();
    CPortableString const empty;
    for (CPortableString const& s :
         {empty, CPortableString(static_cast<char const*>(nullptr)), CPortableString(""),
          CPortableString('x', 0), CPortableString('x', -3), PortableGetEmptyString()}) {
        EXPECT_TRUE(OnSentinel(s));
    }
    EXPECT_EQ(before, ArrayAllocations());
    EXPECT_EQ(-1, empty.GetData()->nRefCount);
    EXPECT_EQ(0, empty.GetData()->nLength);
    EXPECT_EQ(0, empty.GetData()->nCapacity);
}

// Copies and assignments share one block by count; destruction gives the count back. Assigning
// an empty string keeps an unshared block but leaves a shared one.
TEST(StringCoreTest, CopiesShareOneCountedBlock) {
    CPortableString a("hello");
    {
        CPortableString b(a);
        CPortableString c;
        c = b;
        EXPECT_TRUE(SameBlock(a, b));
        EXPECT_TRUE(SameBlock(a, c));
        EXPECT_EQ(3, RefCount(a));
        CPortableString& self = c;
        c = self;  // self-assignment (through a reference, so compilers do not flag it)
        b = c;     // already sharing
        EXPECT_EQ(3, RefCount(a));
        a = "";
        EXPECT_TRUE(OnSentinel(a));
        EXPECT_EQ(2, RefCount(b));
        a = b;
    }
    EXPECT_EQ(1, RefCount(a));
    EXPECT_EQ(5, Capacity(a));
    CPortableStringData* block = a.GetData();
    a = PortableGetEmptyString();
    a = "xy";
    a = static_cast<char const*>(nullptr);
    EXPECT_EQ(block, a.GetData());
    EXPECT_EQ(0, a.GetLength());
    EXPECT_EQ(5, Capacity(a));
}

// Lengths come from the count, so embedded zero bytes are kept by length-based operations.
TEST(StringCoreTest, EmbeddedZeroBytesAreCounted) {
    CPortableString s("ab\0de", 5);
    s += '\0';
    EXPECT_EQ(std::string("ab\0de\0", 6), Text(s));
    CPortableString t;
    t = '\0';
    EXPECT_EQ(7, (s + t).GetLength());
}

// A locked block is never shared: copies take their own characters (cut at the first zero),
// assignments copy by length, assignments into it copy in place, and UnlockBuffer sets the
// count to 1.
TEST(StringCoreTest, LockedBlockIsCopiedNotShared) {
    CPortableString s("ab\0cd", 5);
    char* locked = s.LockBuffer();
    EXPECT_EQ(-1, RefCount(s));
    CPortableString copy(s);
    EXPECT_EQ("ab", Text(copy));
    CPortableString assigned;
    assigned = s;
    EXPECT_EQ(5, assigned.GetLength());
    EXPECT_EQ(1, RefCount(assigned));
    s = copy;
    EXPECT_EQ(locked, static_cast<char const*>(s));
    s.Empty();
    EXPECT_EQ(locked, static_cast<char const*>(s));
    EXPECT_EQ(0, s.GetLength());
    EXPECT_EQ(-1, RefCount(s));
    s.UnlockBuffer();
    EXPECT_EQ(1, RefCount(s));
}

// GetBuffer reuses an unshared block that is large enough and otherwise gives a private copy;
// ReleaseBuffer takes the length up to the first zero and FreeExtra trims to it exactly.
TEST(StringCoreTest, GetBufferMakesThePrivateBlockLargeEnough) {
    CPortableString s("0123456789");
    char const* original = s;
    EXPECT_EQ(original, s.GetBuffer(2));
    CPortableString other(s);
    char* buffer = s.GetBuffer(2);
    EXPECT_NE(original, buffer);
    EXPECT_EQ(10, Capacity(s));
    EXPECT_EQ(10, s.GetLength());
    EXPECT_EQ(1, RefCount(other));
    EXPECT_STREQ("0123456789", buffer);
    buffer = s.GetBuffer(20);
    EXPECT_EQ(20, Capacity(s));
    strcpy(buffer + 3, "\0xyz");
    s.ReleaseBuffer();
    EXPECT_EQ(3, s.GetLength());
    EXPECT_EQ(20, Capacity(s));
    s.FreeExtra();
    EXPECT_EQ(3, Capacity(s));
    EXPECT_STREQ("012", s);
    EXPECT_STREQ("0123456789", other);
}

// Zero-length results of the buffer calls: sentinel kept, allocated empty blocks kept or freed.
TEST(StringCoreTest, ZeroLengthBufferCalls) {
    CPortableString empty;
    empty.GetBufferSetLength(0);
    EXPECT_TRUE(OnSentinel(empty));
    empty.LockBuffer();
    empty.ReleaseBuffer(0);
    EXPECT_TRUE(OnSentinel(empty));
    CPortableString s("abc");
    s.GetBufferSetLength(0);
    CPortableStringData* block = s.GetData();
    s.Empty();  // zero length: the allocated block stays
    EXPECT_EQ(block, s.GetData());
    EXPECT_EQ(3, Capacity(s));
    s.FreeExtra();
    EXPECT_TRUE(OnSentinel(s));
}

// Every comparison operator, for two strings and for a string and a C string in either order,
// gives the order of the texts that `sign` states.
template <typename Left, typename Right>
void ExpectOrder(Left const& left, Right const& right, int sign) {
    EXPECT_EQ(sign == 0, left == right);
    EXPECT_EQ(sign != 0, left != right);
    EXPECT_EQ(sign < 0, left < right);
    EXPECT_EQ(sign > 0, left > right);
    EXPECT_EQ(sign <= 0, left <= right);
    EXPECT_EQ(sign >= 0, left >= right);
}

// Compare and the comparison operators compare the text as strcmp does (unsigned byte order, up
// to the first zero byte of either side), never the addresses of two blocks holding it.
TEST(StringCoreTest, ComparisonsCompareTheText) {
    struct {
        CPortableString left;
        char const* right;
        int sign;
    } const rows[] = {{CPortableString("x\0y", 3), "x", 0},
                      {"same", "same", 0},
                      {"a", "\xe9", -1},
                      {"b", "a", 1},
                      {"ab", "abc", -1},
                      {"", "a", -1}};
    for (auto const& row : rows) {
        SCOPED_TRACE(row.right);
        CPortableString const right(row.right);  // a block of its own holding the same text
        EXPECT_EQ(row.sign, (row.left.Compare(row.right) > 0) - (row.left.Compare(row.right) < 0));
        ExpectOrder(row.left, right, row.sign);
        ExpectOrder(row.left, row.right, row.sign);
        ExpectOrder(row.right, row.left, -row.sign);
    }
}

// Appends grow to exactly the combined length each time; spare capacity is used in place.
TEST(StringCoreTest, AppendGrowthIsExact) {
    CPortableString s;
    CPortableString tail("de");
    long before = ArrayAllocations();
    s += "ab";
    s += 'c';
    s += tail;
    EXPECT_EQ(3, ArrayAllocations() - before);
    EXPECT_EQ(5, Capacity(s));
    s += s;  // appending a string to itself
    EXPECT_STREQ("abcdeabcde", s);
    EXPECT_EQ(10, Capacity(s));
    s.GetBuffer(16);
    before = ArrayAllocations();
    s += "123456";
    EXPECT_EQ(0, ArrayAllocations() - before);
    EXPECT_STREQ("abcdeabcde123456", s);
    CPortableString sharer(s);
    s += "";  // nothing to append: still shared
    EXPECT_TRUE(SameBlock(s, sharer));
}

// The concatenation operators build a new string and leave the operands alone; a null C string
// adds nothing and an empty result owns no block.
TEST(StringCoreTest, ConcatenationOperators) {
    CPortableString left("ab"), right("cd");
    char const* null = nullptr;
    for (auto const& row : {std::make_pair(left + right, "abcd"),
                            {left + "x", "abx"},
                            {"x" + right, "xcd"},
                            {left + '!', "ab!"},
                            {'!' + right, "!cd"},
                            {left + null, "ab"},
                            {null + right, "cd"}}) {
        EXPECT_STREQ(row.second, row.first);
    }
    EXPECT_TRUE(OnSentinel(PortableGetEmptyString() + ""));
    EXPECT_EQ(1, RefCount(left));
}

// The wide constructor converts UTF-16 to UTF-8; unpaired surrogates become '?'.
TEST(StringCoreTest, WideTextIsConvertedToUtf8) {
    unsigned short const text[] = {'A', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xD800, 'z', 0xDC00, 0};
    EXPECT_STREQ("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80?z?", CPortableString(text, -1));
    EXPECT_STREQ("A\xC3\xA9\xE2\x82\xAC?", CPortableString(text, 4));  // pair cut in half
    unsigned short const withZero[] = {'a', 0, 'b'};
    EXPECT_EQ(3, CPortableString(withZero, 3).GetLength());
    EXPECT_TRUE(OnSentinel(CPortableString(withZero, 0)));
}

// Every block made by a mix of sharing, copy-on-write, growth and formatting is freed again,
// also a locked block replaced by an assignment (it dies with count -2).
TEST(StringBlockTest, NoBlockOutlivesItsStrings) {
    long const live = LiveArrays();
    {
        CPortableString a("alpha");
        CPortableString b(a);
        CPortableString c = a + "-" + b;
        c.Replace("a", "AAA");
        b.MakeUpper();
        a += b;
        a.LockBuffer();
        CPortableString d(a);
        d.Format("%s %d %5.1f", static_cast<char const*>(c), 42, 2.5);
        d.Insert(3, "ins");
        d.GetBuffer(100);
        d.FreeExtra();
        CPortableString e = d.Mid(2, 4) + d.Left(3) + d.Right(2);
        e.TrimLeft();
        e.Empty();
        c = d;
        a = c;
    }
    EXPECT_EQ(live, LiveArrays());
}

// Threads copying, assigning, writing and destroying strings that share one block never lose
// a count: the source ends with count 1 and nothing leaks. Empty-string calls never write the
// shared sentinel (ThreadSanitizer checks).
TEST(StringBlockTest, SharedBlocksAcrossThreads) {
    long const live = LiveArrays();
    {
        CPortableString source("shared between threads");
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&source, t] {
                CPortableString kept;
                for (int i = 0; i < 20000; ++i) {
                    CPortableString copy(source);
                    kept = copy;
                    if ((i + t) % 64 == 0) {
                        copy.MakeUpper();
                        CPortableString empty;
                        empty.LockBuffer();
                        empty.ReleaseBuffer();
                        empty = "";
                    }
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(1, RefCount(source));
        EXPECT_STREQ("shared between threads", source);
    }
    EXPECT_EQ(live, LiveArrays());
}

// Two threads each incrementing one counter a million times raise it by two million.
TEST(InterlockedTest, NoIncrementIsLost) {
    long counter = 0;
    auto raise = [&counter] {
        for (int i = 0; i < 1000000; ++i) {
            InterlockedIncrement(&counter);
        }
    };
    std::thread first(raise), second(raise);
    first.join();
    second.join();
    EXPECT_EQ(2000000, counter);
}
