#include <functional>
#include <string>

#include "VelqonMFC.h"
#include "allocation.h"

namespace {

bool onSentinel(CPortableString const& s) {
    return static_cast<char const*>(s) == _portablePchNil;
}

// What an operation leaves behind when its allocation fails.
enum class AfterFailure { unchanged, empty };

struct StringCase {
    bool shared;           // the string shares its block with a second holder
    AfterFailure promise;  // its state after a failed allocation
    char const* result;    // its text after success
    long allocations;      // allocations the operation makes
    std::function<void(CPortableString&)> operation;
    std::function<void(CPortableString&)> prepare = [](CPortableString&) {};
};

// Walks every allocation failure of `c.operation` on a string holding "abcdef" (after
// `c.prepare`, which may give it spare capacity). After a failure the string is unchanged (same
// block, same text) or empty on the sentinel, as promised; after success it holds the result.
// The other holder never changes, and the string takes an append afterwards either way.
void walk(StringCase const& c) {
    long const allocations = WalkAllocationFailures([&c](long failAt) {
        CPortableString s("abcdef");
        CPortableString holder;
        if (c.shared) {
            holder = s;
        }
        c.prepare(s);
        const CPortableStringData* block = s.GetData();
        const bool failed = FailsAt(failAt, [&] { c.operation(s); });
        if (!failed) {
            EXPECT_STREQ(c.result, s);
        } else if (c.promise == AfterFailure::unchanged) {
            EXPECT_EQ(block, s.GetData());
            EXPECT_STREQ("abcdef", s);
        } else {
            EXPECT_TRUE(onSentinel(s)) << "allocation " << failAt;
        }
        if (c.shared) {
            EXPECT_STREQ("abcdef", holder);
            EXPECT_EQ(s.GetData() == holder.GetData() ? 2 : 1, holder.GetData()->nRefCount);
        }
        const std::string before(s);
        s += "!";
        EXPECT_EQ(before + "!", std::string(s));
        return failed;
    });
    EXPECT_EQ(c.allocations, allocations);
}

}  // namespace

// Constructors and operator+ allocate before anything exists: a failure leaves nothing.
TEST(StringAllocationFailureTest, ConstructionLeavesNothing) {
    long const allocations = WalkAllocationFailures([](long failAt) {
        const bool failed = FailsAt(failAt, [] {
            CPortableString text("constructed");
            CPortableString repeated('x', 5);
            CPortableString sum = text + repeated;
            CPortableString part(sum, 0);
            CPortableString bytes("a\0b", 3);
        });
        CPortableString next("still works");
        EXPECT_STREQ("still works", next);
        return failed;
    });
    EXPECT_EQ(4, allocations);
}

// Appends, Format, GetBuffer, FreeExtra and growing edits allocate before they release: on
// failure the string keeps its block and text, and a shared block stays shared.
TEST(StringAllocationFailureTest, AllocateFirstOperationsLeaveTheStringUnchanged) {
    const StringCase cases[] = {
        {false, AfterFailure::unchanged, "abcdefghi", 1, [](CPortableString& s) { s += "ghi"; }},
        {true, AfterFailure::unchanged, "abcdefg", 1, [](CPortableString& s) { s += 'g'; }},
        {false, AfterFailure::unchanged, "abcdefabcdef", 1, [](CPortableString& s) { s += s; }},
        {true, AfterFailure::unchanged, "abc-42", 1,
         [](CPortableString& s) { s.Format("%s-%d", "abc", 42); }},
        {true, AfterFailure::unchanged, "abcdef", 1,
         [](CPortableString& s) {
             s.GetBuffer(100);
             s.ReleaseBuffer();
         }},
        {false, AfterFailure::unchanged, "axybcdef", 1,
         [](CPortableString& s) { s.Insert(1, "xy"); }},
        {false, AfterFailure::unchanged, "aBBBcdef", 1,
         [](CPortableString& s) { s.Replace("b", "BBB"); }},
        {false, AfterFailure::unchanged, "abcdef", 1, [](CPortableString& s) { s.FreeExtra(); },
         [](CPortableString& s) {
             s.GetBuffer(50);
             s.ReleaseBuffer();
         }},
        {true, AfterFailure::unchanged, "abcdef", 3,
         [](CPortableString& s) {
             CPortableString left = s.Left(2) + s.Mid(3);
             EXPECT_STREQ("abdef", left);
         }},
    };
    for (StringCase const& c : cases) {
        SCOPED_TRACE(c.result);
        walk(c);
    }
}

// Operations that first give up a shared block (assignments that need a new block, any edit of
// a shared block) leave the string empty on the sentinel; the other holder keeps its text.
TEST(StringAllocationFailureTest, ReleaseFirstOperationsLeaveTheStringEmpty) {
    const StringCase cases[] = {
        {false, AfterFailure::empty, "a longer text", 1,
         [](CPortableString& s) { s = "a longer text"; }},
        {true, AfterFailure::empty, "xy", 1, [](CPortableString& s) { s = "xy"; }},
        {true, AfterFailure::empty, "ABCDEF", 1, [](CPortableString& s) { s.MakeUpper(); }},
        {true, AfterFailure::empty, "bcdef", 1, [](CPortableString& s) { s.TrimLeft('a'); }},
        {true, AfterFailure::empty, "abcde", 1, [](CPortableString& s) { s.Delete(5, 1); }},
    };
    for (StringCase const& c : cases) {
        SCOPED_TRACE(c.result);
        walk(c);
    }
}
