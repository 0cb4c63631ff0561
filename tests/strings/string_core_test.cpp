// What the string fuzz targets do not model: allocations, threads, wide text, C helpers.
#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "allocation.h"

// Every way of building an empty string designates the sentinel and allocates nothing.
TEST(StringCoreTest, EmptyStringsDesignateTheSentinel) {
    long const before = ArrayAllocations();
    CPortableString const empty;
    for (CPortableString const& s :
         {empty, CPortableString(static_cast<char const*>(nullptr)), CPortableString(""),
          CPortableString('x', 0), CPortableString('x', -3), PortableGetEmptyString(),
          CPortableString(static_cast<unsigned short const*>(nullptr), 3)}) {
        EXPECT_EQ(_portablePchNil, s.GetString());
    }
    EXPECT_EQ(before, ArrayAllocations());
    EXPECT_TRUE(empty.GetData()->nRefCount == -1 && empty.GetData()->nCapacity == 0);
}

// Allocations of the calls the failure walk doesn't count (none without a new block); no leak.
TEST(StringCoreTest, AllocationsPerCall) {
    using S = CPortableString&;
    struct {
        char const* name;
        long allocations;
        void (*call)(S s, S other);
    } const rows[] = {
        {"append into room, also itself", 0, [](S s, S) { s += s; }},
        {"copy and assign share", 0, [](S s, S other) { other = CPortableString(s); }},
        {"copy of a locked string", 1,
         [](S s, S other) { s.LockBuffer(), other = CPortableString(s); }},
        {"locked block replaced", 1, [](S s, S) { s.LockBuffer(), s = "longer than sixteen"; }},
        {"whole extraction shares", 0, [](S s, S other) { other = s.Mid(0); }},
        {"part extraction", 1, [](S s, S other) { other = s.Mid(1, 2); }},
        {"shrinking replacement", 0, [](S s, S) { s.Replace("cd", "x"); }},
        {"insert into room", 0, [](S s, S) { s.Insert(2, s.GetString() + 3); }},
        {"format into room", 0, [](S s, S) { s.Format("%s!", "ab"); }},
        {"format into itself, in room", 0, [](S s, S) { s.Format("%s!", s.GetString()); }},
        {"GetBuffer within the room", 0, [](S s, S) { s.GetBuffer(16); }},
    };
    for (auto const& row : rows) {
        long const live = LiveArrays();
        {
            CPortableString s("abcdef");
            s.GetBuffer(16);
            CPortableString other("xyz");
            long const before = ArrayAllocations();
            row.call(s, other);
            EXPECT_EQ(row.allocations, ArrayAllocations() - before) << row.name;
        }
        EXPECT_EQ(live, LiveArrays()) << row.name;
    }
}

// Threads sharing blocks lose no count, write no sentinel; the exported counters lose nothing.
TEST(StringBlockTest, SharedBlocksAcrossThreads) {
    long const live = LiveArrays();
    long counter = -1;
    EXPECT_EQ(-2, InterlockedDecrement(&counter));
    EXPECT_EQ(-1, InterlockedIncrement(&counter));
    {
        CPortableString source("shared between threads");
        std::atomic<bool> go(false);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&source, &counter, &go, t] {
                while (!go) {  // all start together, so that their increments interleave
                }
                for (int i = 0; i < 250000; ++i) {
                    InterlockedIncrement(&counter);
                }
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
        go = true;
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(1, source.GetData()->nRefCount);
        EXPECT_STREQ("shared between threads", source);
    }
    EXPECT_EQ(1000000 - 1, counter);
    EXPECT_EQ(live, LiveArrays());
}

// The wide constructor converts UTF-16 to UTF-8; unpaired surrogates become '?'.
TEST(StringCoreTest, WideTextIsConvertedToUtf8) {
    unsigned short const text[] = {'A', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xD800, 'z', 0xDC00, 0};
    EXPECT_STREQ("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80?z?", CPortableString(text, -1));
    EXPECT_STREQ("A\xC3\xA9\xE2\x82\xAC?", CPortableString(text, 4));  // pair cut in half
    unsigned short const withZero[] = {'a', 0, 'b'};
    EXPECT_EQ(3, CPortableString(withZero, 3).GetLength());
    EXPECT_EQ(_portablePchNil, CPortableString(withZero, 0).GetString());
}

// The C-string helpers' case changes in place; null pointers: no length, no Tokenize delimiter.
TEST(StringCoreTest, CHelpersAndNullArguments) {
    char text[] = "MiXeD 123";
    EXPECT_STREQ("mixed 123", strlwr(text));
    EXPECT_STREQ("MIXED 123", strupr(text));
    EXPECT_STREQ("mixed 123", _strlwr(text));
    EXPECT_STREQ("MIXED 123", _strupr(text));
    EXPECT_EQ(0, lstrlen(nullptr));
    EXPECT_EQ(0, CPortableString::SafeStrlen(nullptr));
    EXPECT_EQ(1, PortableIsValidString(nullptr));
    int start = 0;
    EXPECT_STREQ("a b", CPortableString("a b").Tokenize(nullptr, start));
    EXPECT_EQ(4, start);
}
