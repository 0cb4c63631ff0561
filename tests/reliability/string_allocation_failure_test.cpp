// Allocation failure injected into every allocation of the string operations.
#include <string>

#include "VelqonMFC.h"
#include "allocation.h"

// A failed call leaves the string unchanged, or empty where it gave up a shared block first.
TEST(StringAllocationFailureTest, FailedCallsLeaveAKnownState) {
    using S = CPortableString&;
    struct {
        bool shared;
        bool roomy;
        bool emptied;
        char const* result;
        long allocations;
        void (*call)(S s);
    } const rows[] = {
        {false, false, false, "conxxab", 5,
         [](S s) {
             s = CPortableString("con") + CPortableString('x', 2) + CPortableString("ab", 2);
         }},
        {false, false, false, "abcdefghi", 1, [](S s) { s += "ghi"; }},
        {true, false, false, "abcdefg", 1, [](S s) { s += 'g'; }},
        {false, false, false, "abcdefabcdef", 1, [](S s) { s += s; }},
        {true, false, false, "abc-42", 1, [](S s) { s.Format("%s-%d", "abc", 42); }},
        {false, true, false, "abcdef|", 1,
         [](S s) { s.Format("%300s|", s.GetString()), s.TrimLeft(); }},
        {true, false, false, "abcdef", 1, [](S s) { s.GetBuffer(100), s.ReleaseBuffer(); }},
        {false, false, false, "axybcdef", 1, [](S s) { s.Insert(1, "xy"); }},
        {false, false, false, "aBBBcdef", 1, [](S s) { s.Replace("b", "BBB"); }},
        {false, true, false, "abcdef", 1, [](S s) { s.FreeExtra(); }},
        {true, false, false, "abdef", 3, [](S s) { s = s.Left(2) + s.Mid(3); }},
        {false, false, true, "a longer text", 1, [](S s) { s = "a longer text"; }},
        {true, false, true, "xy", 1, [](S s) { s = "xy"; }},
        {true, false, true, "ABCDEF", 1, [](S s) { s.MakeUpper(); }},
        {true, false, true, "bcdef", 1, [](S s) { s.TrimLeft('a'); }},
        {true, false, true, "abcde", 1, [](S s) { s.Delete(5, 1); }},
        {true, false, true, "axybcdef", 1, [](S s) { s.Insert(1, "xy"); }},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.result);
        long const allocations = WalkAllocationFailures([&row](long failAt) {
            CPortableString s("abcdef");
            if (row.roomy) {
                s.GetBuffer(400);
            }
            CPortableString const holder = row.shared ? s : CPortableString();
            CPortableStringData const* block = s.GetData();
            bool const failed = FailsAt(failAt, [&] { row.call(s); });
            if (!failed) {
                EXPECT_STREQ(row.result, s);
            } else if (row.emptied) {
                EXPECT_EQ(_portablePchNil, s.GetString()) << "allocation " << failAt;
            } else {
                EXPECT_EQ(block, s.GetData());
                EXPECT_STREQ("abcdef", s);
            }
            EXPECT_STREQ(row.shared ? "abcdef" : "", holder);
            if (row.shared) {
                EXPECT_EQ(s.GetData() == holder.GetData() ? 2 : 1, holder.GetData()->nRefCount);
            }
            std::string const before(s);
            s += "!";
            EXPECT_EQ(before + "!", std::string(s));
            return failed;
        });
        EXPECT_EQ(row.allocations, allocations);
    }
}
