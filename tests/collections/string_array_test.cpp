// CStringArray: string elements are shared by count, relocated without counting, and each
// released exactly once.
#include <gtest/gtest.h>

#include "VelqonMfcContainers.h"
#include "array_new_counter.h"
#include "probes.h"

namespace {

long Count(CPortableString const& text) {
    return text.GetData()->nRefCount;
}

// Elements added by copy share the source's block; growth relocates them without touching the
// count; destroying the array gives back exactly its references.
TEST(StringArrayTest, SharingAcrossGrowthAndDestruction) {
    CPortableString const text("shared");
    {
        ArrayProbe<CStringArray> array;
        for (int i = 0; i < 50; ++i) {
            array.Add(text);
        }
        EXPECT_EQ(51, Count(text));
        EXPECT_EQ(text.GetData(), array[49].GetData());
        EXPECT_LT(50, array.Capacity());
        array.FreeExtra();
        EXPECT_EQ(51, Count(text));
        EXPECT_EQ(50, array.Capacity());
        CPortableString const copy = array.GetAt(3);
        EXPECT_EQ(52, Count(text));
    }
    EXPECT_EQ(1, Count(text));
}

// Shrinking and RemoveAt destroy exactly the removed strings; slots reused after shrinking and
// the gap of InsertEmpty are empty strings, never the old values.
TEST(StringArrayTest, RemovalReleasesExactlyTheRemoved) {
    long const before = LiveArrays();
    CStringArray array;
    for (char const* text : {"a", "b", "c", "d", "e"}) {
        array.SetAtGrow(array.GetSize(), text);
    }
    EXPECT_EQ(before + 6, LiveArrays());  // storage and five blocks
    array.RemoveAt(1, 2);
    EXPECT_EQ(before + 4, LiveArrays());
    EXPECT_STREQ("d", array[1]);
    array.SetSize(1);
    EXPECT_EQ(before + 2, LiveArrays());
    array.SetSize(3);
    EXPECT_EQ(0, array[1].GetLength());
    EXPECT_EQ(0, array[2].GetLength());
    array.InsertEmpty(0, 2);
    EXPECT_STREQ("a", array[2]);
    EXPECT_EQ(0, array[0].GetLength());
    array.RemoveAll();
    EXPECT_EQ(before, LiveArrays());
}

// The C-string InsertAt builds one block that all inserted elements share; writing to one of
// them gives it a private copy and leaves the others alone.
TEST(StringArrayTest, InsertedCopiesShareUntilWritten) {
    CStringArray array;
    array.Add(CPortableString("x"));
    array.Add(CPortableString("y"));
    array.InsertAt(1, "text", 3);
    ASSERT_EQ(5, array.GetSize());
    EXPECT_EQ(array[1].GetData(), array[3].GetData());
    EXPECT_EQ(3, Count(array[2]));
    array[2] += "!";
    EXPECT_STREQ("text!", array[2]);
    EXPECT_STREQ("text", array[1]);
    EXPECT_EQ(2, Count(array[1]));
    EXPECT_STREQ("y", array[4]);
}

// Storing an element of the array into a slot that forces a reallocation works.
TEST(StringArrayTest, SelfReferenceAcrossGrowth) {
    CStringArray array;
    array.SetAtGrow(0, "first");
    array.SetAtGrow(20, array[0]);
    array.InsertAt(1, array[20], 40);
    EXPECT_STREQ("first", array[20 + 40]);
    EXPECT_STREQ("first", array[40]);
    EXPECT_EQ(42, Count(array[0]));  // slots 0, 1..40 and 60
}

// Copy, Append and InsertAt of another array share the source's blocks.
TEST(StringArrayTest, CopyAppendInsertShare) {
    CStringArray source;
    source.Add(CPortableString("one"));
    source.Add(CPortableString("two"));
    CStringArray array;
    array.Copy(source);
    EXPECT_EQ(2, array.Append(source));
    array.InsertAt(1, &source);
    ASSERT_EQ(6, array.GetSize());
    char const* const expected[] = {"one", "one", "two", "two", "one", "two"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(expected[i], array[i]);
    }
    EXPECT_EQ(4, Count(source[0]));
    EXPECT_EQ(source[1].GetData(), array[5].GetData());
}

}  // namespace
