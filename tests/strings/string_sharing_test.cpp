#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "array_new_counter.h"
#include "string_test_support.h"

// Every block made by a mix of sharing, copy-on-write, growth and formatting is freed again.
TEST(StringBlockTest, NoBlockOutlivesItsStrings) {
    long live = LiveArrays();
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
        a = c;  // replaces the locked block, which dies with count -2
    }
    EXPECT_EQ(live, LiveArrays());
}

// Threads copying, assigning, writing and destroying strings that share one block never lose
// a count: the source ends with count 1 and nothing leaks; the sentinel is never written.
TEST(StringBlockTest, SharedBlocksAcrossThreads) {
    long live = LiveArrays();
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
                        copy.MakeUpper();       // copy on write while others share and release
                        CPortableString empty;  // empty-string calls must not write the
                        empty.LockBuffer();     // shared sentinel (ThreadSanitizer checks)
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
    std::thread first(raise);
    std::thread second(raise);
    first.join();
    second.join();
    EXPECT_EQ(2000000, counter);
}
