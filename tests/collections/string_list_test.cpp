// CStringList: elements share the inserted strings' blocks and are released exactly once.
#include <gtest/gtest.h>

#include "VelqonMfcContainers.h"
#include "array_new_counter.h"
#include "probes.h"

namespace {

long Count(CPortableString const& text) {
    return text.GetData()->nRefCount;
}

// A string inserted by reference is shared; a C string gets a block of its own; destroying the
// list releases each element once.
TEST(StringListTest, SharingAndRelease) {
    long const before = LiveArrays();
    CPortableString const text("line");
    {
        CStringList list;
        list.AddTail(text);
        list.AddHead(text);
        list.InsertAfter(list.GetHeadPosition(), text);
        EXPECT_EQ(4, Count(text));
        POSITION const own = list.AddTail("own");
        EXPECT_EQ(1, Count(list.GetAt(own)));
        list.AddTail(static_cast<char const*>(nullptr));
        EXPECT_EQ(0, list.GetTail().GetLength());
        CStringList copy;
        copy.AddTail(&list);
        EXPECT_EQ(7, Count(text));
        EXPECT_EQ(2, Count(list.GetAt(own)));
    }
    EXPECT_EQ(1, Count(text));
    EXPECT_EQ(before + 1, LiveArrays());  // only `text` is left
}

// RemoveHead of a string shared with the caller hands the node's reference to the result; the
// block lives while either holds it, and the emptied list holds no memory.
TEST(StringListTest, RemoveHeadHandsOverReference) {
    ListProbe<CStringList> list;
    CPortableString result;
    {
        CPortableString const text("kept");
        list.AddTail(text);
        result = list.RemoveHead();
        EXPECT_EQ(2, Count(text));
    }
    EXPECT_STREQ("kept", result);
    EXPECT_EQ(1, Count(result));
    EXPECT_TRUE(list.HoldsNoMemory());
}

// Find compares exact, case-sensitive text after the start position.
TEST(StringListTest, FindIsCaseSensitive) {
    CStringList list;
    list.AddTail("Alpha");
    POSITION const lower = list.AddTail("alpha");
    EXPECT_EQ(lower, list.Find("alpha"));
    EXPECT_EQ(nullptr, list.Find("ALPHA"));
    EXPECT_EQ(nullptr, list.Find("alpha", lower));
}

// A freed node's string is destroyed once, and the node comes back with a fresh empty element.
TEST(StringListTest, ReusedNodeGetsFreshString) {
    long const before = LiveArrays();
    CStringList list;
    list.AddTail("a");
    POSITION const middle = list.AddTail("b");
    list.AddTail("c");
    list.RemoveAt(middle);
    EXPECT_EQ(middle, list.InsertAfter(list.GetHeadPosition(), "d"));
    EXPECT_STREQ("d", list.GetAt(middle));
    list.RemoveAll();
    EXPECT_EQ(before, LiveArrays());
}

}  // namespace
