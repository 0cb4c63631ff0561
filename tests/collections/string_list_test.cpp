// CStringList: elements share the inserted strings' blocks and are released exactly once.
#include <gtest/gtest.h>

#include "VelqonMfcContainers.h"
#include "allocation.h"
#include "collection_probes.h"

namespace {

// A string inserted by reference is shared, a C string gets a block of its own, another list's
// elements are shared; destroying the lists releases each element once.
TEST(StringListTest, SharingAndRelease) {
    long const before = LiveArrays();
    CPortableString const text("line");
    {
        CStringList list;
        list.AddTail(text);
        list.InsertAfter(list.AddHead(text), text);
        POSITION const own = list.AddTail("own");
        EXPECT_EQ(4, RefCount(text));
        EXPECT_EQ(1, RefCount(list.GetAt(own)));
        list.AddTail(static_cast<char const*>(nullptr));
        CStringList copy;
        copy.AddTail(&list);
        EXPECT_EQ(7, RefCount(text));
        EXPECT_EQ(2, RefCount(list.GetAt(own)));
    }
    EXPECT_EQ(1, RefCount(text));
    EXPECT_EQ(before + 1, LiveArrays());  // only `text` is left
}

// RemoveHead hands the node's reference to its result; the emptied list holds no memory; Find
// compares exact, case-sensitive text after the start position.
TEST(StringListTest, RemoveHeadAndFind) {
    ListProbe<CStringList> list;
    CPortableString result;
    {
        CPortableString const text("kept");
        list.AddTail(text);
        result = list.RemoveHead();
        EXPECT_EQ(2, RefCount(text));
    }
    EXPECT_EQ(1, RefCount(result));
    EXPECT_TRUE(list.HoldsNoMemory());
    list.AddTail("Alpha");
    POSITION const lower = list.AddTail("alpha");
    EXPECT_EQ(lower, list.Find("alpha"));
    EXPECT_EQ(nullptr, list.Find("ALPHA"));
    EXPECT_EQ(nullptr, list.Find("alpha", lower));
}

}  // namespace
