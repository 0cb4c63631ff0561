// Checked build, array family: index, count and self-insertion errors stop with the class, the
// member and the bad value; everything the members define still works.
#include "VelqonMfcContainers.h"
#include "checked.h"

// Indexes outside [0, size), in the exported members and in the inline accessors alike.
TEST(CheckedArrayTest, IndexOutsideStops) {
    CDWordArray array;
    array.SetSize(5);
    CDWordArray const& constant = array;
    EXPECT_STOPS(array.GetAt(7), "CDWordArray::GetAt: index 7 outside [0, 5)");
    EXPECT_STOPS(array.SetAt(-1, 3), "CDWordArray::SetAt: index -1 outside [0, 5)");
    EXPECT_STOPS(array[5], "CDWordArray::operator[]: index 5 outside [0, 5)");
    EXPECT_STOPS(constant[-2], "CDWordArray::operator[]: index -2 outside [0, 5)");
    EXPECT_STOPS(array.ElementAt(6), "CDWordArray::ElementAt: index 6 outside [0, 5)");
    CStringArray empty;
    EXPECT_STOPS(empty.GetAt(0), "CStringArray::GetAt: index 0 outside [0, 0)");
}

// Removal ranges, negative sizes, counts and insertion indexes.
TEST(CheckedArrayTest, BadRangesAndCountsStop) {
    CByteArray array;
    array.SetSize(5);
    EXPECT_STOPS(array.RemoveAt(5), "CByteArray::RemoveAt: index 5 outside [0, 5)");
    EXPECT_STOPS(array.RemoveAt(3, 4), "CByteArray::RemoveAt: index 3 + count 4 runs past size 5");
    EXPECT_STOPS(array.RemoveAt(1, -1), "CByteArray::RemoveAt: negative count -1");
    EXPECT_STOPS(array.SetSize(-1), "CByteArray::SetSize: negative size -1");
    EXPECT_STOPS(array.InsertAt(0, 1, -2), "CByteArray::InsertAt: negative count -2");
    EXPECT_STOPS(array.SetAtGrow(-1, 1), "CByteArray::SetAtGrow: negative index -1");
    CStringArray strings;
    EXPECT_STOPS(strings.InsertAt(-3, "x"), "CStringArray::InsertAt: negative index -3");
    EXPECT_STOPS(strings.InsertEmpty(0, -1), "CStringArray::InsertEmpty: negative count -1");
}

// An array handed to its own Append or InsertAt, even an empty one.
TEST(CheckedArrayTest, ArrayPassedToItselfStops) {
    CPtrArray array;
    EXPECT_STOPS(array.Append(array), "CPtrArray::Append: array passed to itself");
    array.SetSize(2);
    EXPECT_STOPS(array.InsertAt(1, &array), "CPtrArray::InsertAt: array passed to itself");
}

// An empty removal at the end stays legal (the collections corpus replays the other edges here).
TEST(CheckedArrayTest, EmptyRemovalAtTheEndPasses) {
    CWordArray array;
    array.SetSize(5);
    array.RemoveAt(5, 0);
    EXPECT_EQ(5, array.GetSize());
}
