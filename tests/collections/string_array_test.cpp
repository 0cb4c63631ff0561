// CStringArray: string elements are shared by count, relocated without counting, and each
// released exactly once.
#include <gtest/gtest.h>

#include "VelqonMfcContainers.h"
#include "allocation.h"
#include "collection_probes.h"

namespace {

// Added copies share the source's block; growth, FreeExtra and self-referencing insertions
// relocate without touching counts; Copy shares; destroying the arrays gives back exactly their
// references.
TEST(StringArrayTest, SharingAcrossGrowthAndDestruction) {
    CPortableString const text("shared");
    {
        ArrayProbe<CStringArray> array;
        for (int i = 0; i < 50; ++i) {
            array.Add(text);
        }
        array.FreeExtra();
        EXPECT_EQ(51, RefCount(text));
        EXPECT_EQ(text.GetData(), array[49].GetData());
        array.SetAtGrow(60, array[0]);     // reallocates while reading array[0]
        array.InsertAt(1, array[60], 40);  // and again
        EXPECT_EQ(92, RefCount(text));
        EXPECT_STREQ("shared", array[100]);
        EXPECT_EQ(0, array[99].GetLength());
        CStringArray copy;
        copy.Copy(array);
        EXPECT_EQ(183, RefCount(text));
    }
    EXPECT_EQ(1, RefCount(text));
}

// RemoveAt and shrinking SetSize destroy exactly the removed strings; reused and inserted-empty
// slots are empty strings; the C-string InsertAt shares one new block among its copies, and
// writing to one of them leaves the others alone.
TEST(StringArrayTest, RemovalAndInsertionCounts) {
    long const before = LiveArrays();
    CStringArray array;
    for (char const* text : {"a", "b", "c", "d", "e"}) {
        array.SetAtGrow(array.GetSize(), text);
    }
    EXPECT_EQ(before + 6, LiveArrays());  // storage and five blocks
    array.RemoveAt(1, 2);
    array.SetSize(1);
    EXPECT_EQ(before + 2, LiveArrays());
    array.SetSize(2);
    array.InsertEmpty(0, 1);
    EXPECT_STREQ("a", array[1]);
    EXPECT_EQ(0, array[2].GetLength());
    array.InsertAt(1, "text", 3);
    EXPECT_EQ(3, RefCount(array[3]));
    array[2] += "!";
    EXPECT_STREQ("text!", array[2]);
    EXPECT_STREQ("text", array[1]);
    EXPECT_EQ(2, RefCount(array[3]));
    array.RemoveAll();
    EXPECT_EQ(before, LiveArrays());
}

}  // namespace
