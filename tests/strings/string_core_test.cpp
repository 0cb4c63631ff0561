#include <string.h>

#include <new>
#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "array_new_counter.h"
#include "string_test_support.h"

// Every way of building an empty string designates the sentinel and allocates nothing.
TEST(StringCoreTest, EmptyStringsDesignateTheSentinel) {
    long before = ArrayAllocations();
    {
        CPortableString byDefault;
        CPortableString fromNull(static_cast<char const*>(nullptr));
        CPortableString fromEmpty("");
        CPortableString zeroRepeat('x', 0);
        CPortableString negativeRepeat('x', -3);
        CPortableString copyOfEmpty(byDefault);
        for (CPortableString const* s :
             {&byDefault, &fromNull, &fromEmpty, &zeroRepeat, &negativeRepeat, &copyOfEmpty}) {
            EXPECT_TRUE(OnSentinel(*s));
            EXPECT_STREQ("", static_cast<char const*>(*s));
        }
        EXPECT_TRUE(OnSentinel(PortableGetEmptyString()));
    }
    EXPECT_EQ(before, ArrayAllocations());
    CPortableStringData const* nil = PortableGetEmptyString().GetData();
    EXPECT_EQ(-1, nil->nRefCount);
    EXPECT_EQ(0, nil->nLength);
    EXPECT_EQ(0, nil->nCapacity);
}

// Copies and assignments share one block by count; destruction gives the count back.
TEST(StringCoreTest, CopiesShareOneCountedBlock) {
    CPortableString a("hello");
    EXPECT_EQ(1, RefCount(a));
    {
        CPortableString b(a);
        CPortableString c;
        c = b;
        EXPECT_TRUE(SameBlock(a, b));
        EXPECT_TRUE(SameBlock(a, c));
        EXPECT_EQ(3, RefCount(a));
        c = c;  // self-assignment
        b = c;  // already sharing
        EXPECT_EQ(3, RefCount(a));
    }
    EXPECT_EQ(1, RefCount(a));
    EXPECT_EQ(5, Capacity(a));
}

// Assigning an empty string keeps an unshared block but leaves a shared one.
TEST(StringCoreTest, AssigningEmptyKeepsOnlyAnUnsharedBlock) {
    CPortableString owner("abcdef");
    CPortableStringData* block = owner.GetData();
    owner = PortableGetEmptyString();
    EXPECT_EQ(block, owner.GetData());
    EXPECT_EQ(0, owner.GetLength());
    EXPECT_EQ(6, Capacity(owner));
    owner = "xy";
    owner = static_cast<char const*>(nullptr);
    EXPECT_EQ(block, owner.GetData());
    EXPECT_STREQ("", owner);

    CPortableString shared("abcdef");
    CPortableString holder(shared);
    shared = "";
    EXPECT_TRUE(OnSentinel(shared));
    EXPECT_EQ(1, RefCount(holder));
    EXPECT_STREQ("abcdef", holder);
}

// Lengths come from the count, so embedded zero bytes are kept by length-based operations.
TEST(StringCoreTest, EmbeddedZeroBytesAreCounted) {
    CPortableString s("ab\0de", 5);
    EXPECT_EQ(5, s.GetLength());
    s += '\0';
    EXPECT_EQ(6, s.GetLength());
    EXPECT_EQ(0, memcmp("ab\0de\0", static_cast<char const*>(s), 7));
    CPortableString t;
    t = '\0';
    EXPECT_EQ(7, (s + t).GetLength());
}

// A locked block is never shared: copies take their own characters (cut at the first zero),
// assignments into it copy in place, and UnlockBuffer sets the count to 1.
TEST(StringCoreTest, LockedBlockIsCopiedNotShared) {
    CPortableString s("ab\0cd", 5);
    char* locked = s.LockBuffer();
    EXPECT_EQ(-1, RefCount(s));
    CPortableString copy(s);
    EXPECT_FALSE(SameBlock(s, copy));
    EXPECT_STREQ("ab", copy);
    EXPECT_EQ(2, copy.GetLength());
    CPortableString assigned;
    assigned = s;
    EXPECT_EQ(5, assigned.GetLength());  // operator= copies by length
    EXPECT_EQ(1, RefCount(assigned));

    s = copy;  // copied into the locked block in place
    EXPECT_EQ(locked, static_cast<char const*>(s));
    EXPECT_EQ(-1, RefCount(s));
    s.Empty();  // emptied in place, still locked
    EXPECT_EQ(locked, static_cast<char const*>(s));
    EXPECT_EQ(0, s.GetLength());
    EXPECT_EQ(-1, RefCount(s));
    s.UnlockBuffer();
    EXPECT_EQ(1, RefCount(s));
}

// GetBuffer reuses an unshared block that is large enough and otherwise gives a private copy.
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

// Compare is strcmp: unsigned byte order, stops at the first zero byte of either side.
TEST(StringCoreTest, CompareIsByteWiseUpToFirstZero) {
    EXPECT_TRUE(CPortableString("x") == "x");
    EXPECT_TRUE(CPortableString("x\0y", 3) == "x");
    EXPECT_LT(CPortableString("a").Compare("\xe9"), 0);
    EXPECT_GT(CPortableString("b").Compare("a"), 0);
    EXPECT_FALSE(CPortableString("ab") == "abc");
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

// The five concatenation operators build a new string and leave the operands alone.
TEST(StringCoreTest, ConcatenationOperators) {
    CPortableString left("ab");
    CPortableString right("cd");
    EXPECT_STREQ("abcd", left + right);
    EXPECT_STREQ("abx", left + "x");
    EXPECT_STREQ("xcd", "x" + right);
    EXPECT_STREQ("ab!", left + '!');
    EXPECT_STREQ("!cd", '!' + right);
    EXPECT_TRUE(OnSentinel(PortableGetEmptyString() + ""));
    char const* null = nullptr;
    EXPECT_STREQ("ab", left + null);
    EXPECT_STREQ("cd", null + right);
    EXPECT_EQ(1, RefCount(left));
}

// Allocation failure: appends and GetBuffer leave the string unchanged; operations that must
// give up a shared block first leave it empty; nothing leaks either way.
TEST(StringCoreTest, AllocationFailureLeavesDefinedState) {
    long live = LiveArrays();
    {
        CPortableString s("abc");
        FailNextArrayAllocation();
        EXPECT_THROW(s += "def", std::bad_alloc);
        EXPECT_STREQ("abc", s);
        FailNextArrayAllocation();
        EXPECT_THROW(s.GetBuffer(10), std::bad_alloc);
        EXPECT_STREQ("abc", s);

        CPortableString holder(s);
        FailNextArrayAllocation();
        EXPECT_THROW(s = "longer text", std::bad_alloc);
        EXPECT_TRUE(OnSentinel(s));
        EXPECT_EQ(1, RefCount(holder));

        s = holder;
        FailNextArrayAllocation();
        EXPECT_THROW(s.ReleaseBuffer(1), std::bad_alloc);  // copy before write fails
        EXPECT_TRUE(OnSentinel(s));
        EXPECT_STREQ("abc", holder);
        EXPECT_EQ(1, RefCount(holder));
    }
    EXPECT_EQ(live, LiveArrays());
}

// The wide constructor converts UTF-16 to UTF-8; unpaired surrogates become '?'.
TEST(StringCoreTest, WideTextIsConvertedToUtf8) {
    unsigned short const text[] = {'A', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xD800, 'z', 0xDC00, 0};
    CPortableString all(text, -1);
    EXPECT_STREQ("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80?z?", all);
    CPortableString cutPair(text, 4);  // the high surrogate loses its partner
    EXPECT_STREQ("A\xC3\xA9\xE2\x82\xAC?", cutPair);
    unsigned short const withZero[] = {'a', 0, 'b'};
    EXPECT_EQ(3, CPortableString(withZero, 3).GetLength());
    EXPECT_TRUE(OnSentinel(CPortableString(withZero, 0)));
}
