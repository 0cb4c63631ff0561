// The six scalar arrays: one behaviour suite run on every class of the family.
#include <gtest/gtest.h>

#include <vector>

#include "VelqonMfcContainers.h"
#include "allocation.h"
#include "collection_probes.h"

namespace {

template <class X>
class ScalarArrayTest : public ::testing::Test {
protected:
    using Element = typename std::remove_reference<decltype(std::declval<X&>()[0])>::type;

    static Element V(int i) { return Value<Element>(i); }

    static std::vector<int> Contents(X const& array) {
        std::vector<int> values;
        for (int i = 0; i < array.GetSize(); ++i) {
            values.push_back(AsInt(array[i]));
        }
        return values;
    }

    // Appends 1, 2, ..., n.
    static void Fill(X& array, int n) {
        for (int i = 1; i <= n; ++i) {
            array.Add(V(i));
        }
    }

    ArrayProbe<X> array;
};

using ScalarArrays =
    ::testing::Types<CByteArray, CWordArray, CDWordArray, CUIntArray, CPtrArray, CObArray>;
TYPED_TEST_SUITE(ScalarArrayTest, ScalarArrays);

// Appending one at a time with automatic growth gives the legacy capacity sequence: exact first
// allocation, then steps of GetSize() / 8 clamped to 4..1024.
TYPED_TEST(ScalarArrayTest, AppendCapacitySequence) {
    std::vector<int> capacities;
    for (int i = 0; i < 120; ++i) {
        EXPECT_EQ(i, this->array.Add(this->V(i + 1)));
        if (capacities.empty() || capacities.back() != this->array.Capacity()) {
            capacities.push_back(this->array.Capacity());
        }
    }
    std::vector<int> const expected{1,  5,  9,  13, 17, 21, 25, 29,  33,  37, 41,
                                    46, 51, 57, 64, 72, 81, 91, 102, 114, 128};
    EXPECT_EQ(expected, capacities);
    EXPECT_EQ(this->V(120), this->array[this->array.GetUpperBound()]);
}

// SetSize stores any step but -1; a fixed step adds to the capacity unless the size asked for is
// larger; a negative step allocates exactly; the automatic step follows the size. A failed
// enlargement keeps elements and capacity (only its step is stored).
TYPED_TEST(ScalarArrayTest, SetSizeStepRules) {
    this->array.SetSize(10, 3);
    EXPECT_EQ(10, this->array.Capacity());
    this->array.SetSize(11, -1);
    EXPECT_EQ(13, this->array.Capacity());
    this->array.SetSize(20, -1);
    EXPECT_EQ(20, this->array.Capacity());
    this->array.SetSize(21, -5);
    this->array.SetSize(22);
    EXPECT_EQ(22, this->array.Capacity());
    EXPECT_TRUE(FailsAt(1, [&] { this->array.SetSize(100, 7); }));
    EXPECT_EQ(std::vector<int>(22, 0), this->Contents(this->array));
    EXPECT_EQ(22, this->array.Capacity());
    EXPECT_EQ(7, this->array.GrowStep());

    ArrayProbe<TypeParam> small;
    small.SetSize(8);
    small.SetSize(9, 0);
    EXPECT_EQ(12, small.Capacity());
    small.SetSize(8200);
    small.SetSize(8201);
    EXPECT_EQ(8200 + 1024, small.Capacity());
}

// Shrinking keeps the storage; growing inside it zero-fills the reused slots; size 0, Copy of an
// empty array and FreeExtra of an emptied one free it; Append returns the old size.
TYPED_TEST(ScalarArrayTest, ReuseTrimAndFree) {
    long const before = LiveArrays();
    this->Fill(this->array, 6);
    this->array.SetSize(2);
    EXPECT_EQ(9, this->array.Capacity());
    this->array.SetSize(5);
    EXPECT_EQ((std::vector<int>{1, 2, 0, 0, 0}), this->Contents(this->array));
    this->array.FreeExtra();
    EXPECT_EQ(5, this->array.Capacity());
    TypeParam empty;
    EXPECT_EQ(5, this->array.Append(empty));
    this->array.Copy(empty);
    EXPECT_EQ(nullptr, this->array.GetData());
    this->Fill(this->array, 4);
    this->array.RemoveAt(0, 4);
    this->array.FreeExtra();
    EXPECT_EQ(0, this->array.Capacity());
    EXPECT_EQ(before, LiveArrays());
}

// InsertAt shifts the tail up, zero-fills a gap past the end (a count of 0 only grows), and
// inserts another array; RemoveAt closes the gap and keeps the capacity.
TYPED_TEST(ScalarArrayTest, InsertAndRemoveShapes) {
    this->Fill(this->array, 5);
    this->array.InsertAt(2, this->V(9), 3);
    EXPECT_EQ((std::vector<int>{1, 2, 9, 9, 9, 3, 4, 5}), this->Contents(this->array));
    this->array.RemoveAt(1, 4);
    EXPECT_EQ((std::vector<int>{1, 3, 4, 5}), this->Contents(this->array));
    EXPECT_EQ(9, this->array.Capacity());
    this->array.InsertAt(6, this->V(9));
    this->array.InsertAt(9, this->V(9), 0);
    EXPECT_EQ((std::vector<int>{1, 3, 4, 5, 0, 0, 9, 0, 0}), this->Contents(this->array));
    TypeParam other;
    this->Fill(other, 2);
    this->array.InsertAt(1, &other);
    EXPECT_EQ((std::vector<int>{1, 1, 2, 3, 4, 5, 0, 0, 9, 0, 0}), this->Contents(this->array));
    this->array.Copy(other);
    EXPECT_EQ(2, this->array.Append(other));
    EXPECT_EQ((std::vector<int>{1, 2, 1, 2}), this->Contents(this->array));
}

}  // namespace
