// The six scalar arrays: one behaviour suite run on every class of the family.
#include <gtest/gtest.h>

#include <vector>

#include "VelqonMfcContainers.h"
#include "array_new_counter.h"
#include "probes.h"

namespace {

template <class X>
class ScalarArrayTest : public ::testing::Test {
protected:
    using Element = typename std::remove_reference<decltype(std::declval<X&>()[0])>::type;

    static Element V(int i) { return Value<Element>(i); }

    // The array's elements, as integers.
    static std::vector<int> Contents(X const& array) {
        std::vector<int> values;
        for (int i = 0; i < array.GetSize(); ++i) {
            values.push_back(AsInt(array[i]));
        }
        return values;
    }

    // An array holding 1, 2, ..., n.
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
    EXPECT_EQ(119, this->array.GetUpperBound());
    EXPECT_EQ(this->V(120), this->array[119]);
}

// SetSize stores any step but -1; a fixed step adds to the capacity unless the size asked for is
// larger; a negative step allocates exactly; the automatic step follows the size, not capacity.
TYPED_TEST(ScalarArrayTest, SetSizeStepRules) {
    this->array.SetSize(10, 3);
    EXPECT_EQ(10, this->array.Capacity());
    EXPECT_EQ(std::vector<int>(10, 0), this->Contents(this->array));
    this->array.SetSize(11, -1);
    EXPECT_EQ(13, this->array.Capacity());
    EXPECT_EQ(3, this->array.GrowStep());
    this->array.SetSize(20, -1);
    EXPECT_EQ(20, this->array.Capacity());

    this->array.SetSize(21, -5);
    EXPECT_EQ(-5, this->array.GrowStep());
    EXPECT_EQ(21, this->array.Capacity());
    this->array.SetSize(22);
    EXPECT_EQ(22, this->array.Capacity());

    ArrayProbe<TypeParam> small;
    small.SetSize(8);
    small.SetSize(9, 0);
    EXPECT_EQ(12, small.Capacity());

    ArrayProbe<TypeParam> large;
    large.SetSize(8200);
    large.SetSize(8201);
    EXPECT_EQ(8200 + 1024, large.Capacity());
}

// Shrinking keeps the storage; growing again inside it zero-fills the reused slots; size 0 frees
// the storage.
TYPED_TEST(ScalarArrayTest, ShrinkRegrowAndFree) {
    long const before = LiveArrays();
    this->Fill(this->array, 6);
    int const capacity = this->array.Capacity();
    this->array.SetSize(2);
    EXPECT_EQ(capacity, this->array.Capacity());
    this->array.SetSize(5);
    EXPECT_EQ((std::vector<int>{1, 2, 0, 0, 0}), this->Contents(this->array));
    this->array.RemoveAll();
    EXPECT_EQ(0, this->array.Capacity());
    EXPECT_EQ(nullptr, this->array.GetData());
    EXPECT_EQ(before, LiveArrays());
}

// InsertAt inside the array shifts the tail up; past the end it zero-fills the gap; a count of 0
// past the end only grows.
TYPED_TEST(ScalarArrayTest, InsertAtShapes) {
    this->Fill(this->array, 5);
    this->array.InsertAt(2, this->V(9), 3);
    EXPECT_EQ((std::vector<int>{1, 2, 9, 9, 9, 3, 4, 5}), this->Contents(this->array));

    TypeParam past;
    this->Fill(past, 5);
    past.InsertAt(7, this->V(9));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 0, 0, 9}), this->Contents(past));
    past.InsertAt(10, this->V(9), 0);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 0, 0, 9, 0, 0}), this->Contents(past));

    TypeParam other;
    this->Fill(other, 2);
    past.InsertAt(1, &other);
    EXPECT_EQ((std::vector<int>{1, 1, 2, 2, 3, 4, 5, 0, 0, 9, 0, 0}), this->Contents(past));
}

// RemoveAt closes the gap and keeps the capacity; removing the last elements moves nothing.
TYPED_TEST(ScalarArrayTest, RemoveAtShapes) {
    this->Fill(this->array, 5);
    int const capacity = this->array.Capacity();
    this->array.RemoveAt(1, 2);
    EXPECT_EQ((std::vector<int>{1, 4, 5}), this->Contents(this->array));
    this->array.RemoveAt(2);
    EXPECT_EQ((std::vector<int>{1, 4}), this->Contents(this->array));
    EXPECT_EQ(capacity, this->array.Capacity());
}

// Append returns the old size (also for an empty source); Copy from an empty array and
// FreeExtra of an emptied array free the storage; FreeExtra trims to the size.
TYPED_TEST(ScalarArrayTest, CopyAppendFreeExtra) {
    TypeParam empty;
    TypeParam source;
    this->Fill(source, 3);
    EXPECT_EQ(0, this->array.Append(source));
    EXPECT_EQ(3, this->array.Append(source));
    EXPECT_EQ(6, this->array.Append(empty));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 1, 2, 3}), this->Contents(this->array));
    this->array.FreeExtra();
    EXPECT_EQ(6, this->array.Capacity());

    this->array.Copy(source);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), this->Contents(this->array));
    EXPECT_EQ(6, this->array.Capacity());
    this->array.Copy(empty);
    EXPECT_EQ(0, this->array.Capacity());

    this->Fill(this->array, 4);
    this->array.RemoveAt(0, 4);
    this->array.FreeExtra();
    EXPECT_EQ(nullptr, this->array.GetData());
    EXPECT_EQ(0, this->array.Capacity());
}

// A failed enlargement leaves elements, size and capacity alone; only the step given to that
// SetSize call is already stored.
TYPED_TEST(ScalarArrayTest, FailedGrowthKeepsArray) {
    this->Fill(this->array, 5);
    int const capacity = this->array.Capacity();
    FailNextArrayAllocation();
    EXPECT_THROW(this->array.SetSize(100, 7), std::bad_alloc);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), this->Contents(this->array));
    EXPECT_EQ(capacity, this->array.Capacity());
    EXPECT_EQ(7, this->array.GrowStep());
}

}  // namespace
