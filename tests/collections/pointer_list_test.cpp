// CPtrList and CObList: one behaviour suite run on both pointer lists.
#include <gtest/gtest.h>

#include <vector>

#include "VelqonMfcContainers.h"
#include "allocation.h"
#include "collection_probes.h"

namespace {

template <class X>
class PointerListTest : public ::testing::Test {
protected:
    using Element = typename std::remove_reference<decltype(std::declval<X&>().GetHead())>::type;

    static Element V(int i) { return Value<Element>(i); }

    // The elements from head to tail, checked against a walk from tail to head.
    static std::vector<int> Contents(X& list) {
        std::vector<int> forward, backward;
        for (POSITION position = list.GetHeadPosition(); position != nullptr;) {
            forward.push_back(AsInt(list.GetNext(position)));
        }
        for (POSITION position = list.GetTailPosition(); position != nullptr;) {
            backward.insert(backward.begin(), AsInt(list.GetPrev(position)));
        }
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(static_cast<int>(forward.size()), list.GetCount());
        return forward;
    }

    ListProbe<X> list{10};
};

using PointerLists = ::testing::Types<CPtrList, CObList>;
TYPED_TEST_SUITE(PointerListTest, PointerLists);

// Nothing is allocated before the first insertion; blocks of 10 nodes are handed out in
// ascending address order; freed nodes are reused most recently freed first; removing the last
// element frees every block.
TYPED_TEST(PointerListTest, NodeBlocksAndReuse) {
    long const before = LiveArrays();
    EXPECT_TRUE(this->list.HoldsNoMemory());
    std::vector<POSITION> nodes;
    for (int i = 1; i <= 10; ++i) {
        nodes.push_back(this->list.AddTail(this->V(i)));
        EXPECT_EQ(reinterpret_cast<char*>(nodes[0]) + (i - 1) * 24,
                  reinterpret_cast<char*>(nodes.back()));
    }
    EXPECT_EQ(1, this->list.Blocks());
    this->list.AddTail(this->V(11));
    EXPECT_EQ(2, this->list.Blocks());
    this->list.RemoveAt(nodes[1]);
    this->list.RemoveAt(nodes[2]);
    EXPECT_EQ(nodes[2], this->list.AddHead(this->V(7)));
    EXPECT_EQ(nodes[1], this->list.AddTail(this->V(8)));
    while (this->list.GetCount() > 1) {
        this->list.RemoveTail();
    }
    EXPECT_EQ(this->V(7), this->list.RemoveHead());
    EXPECT_TRUE(this->list.HoldsNoMemory());
    EXPECT_EQ(before, LiveArrays());
}

// Null positions insert at the ends; inserting next to the head or tail moves it; another list
// goes in front of the head or after the tail in its own order.
TYPED_TEST(PointerListTest, InsertionShapes) {
    this->list.InsertBefore(nullptr, this->V(2));
    this->list.InsertAfter(nullptr, this->V(4));
    this->list.InsertAfter(this->list.GetHeadPosition(), this->V(3));
    this->list.InsertBefore(this->list.GetHeadPosition(), this->V(1));
    this->list.InsertAfter(this->list.GetTailPosition(), this->V(5));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), this->Contents(this->list));
    TypeParam other;
    other.AddTail(this->V(8));
    other.AddTail(this->V(9));
    this->list.AddHead(&other);
    this->list.AddTail(&other);
    EXPECT_EQ((std::vector<int>{8, 9, 1, 2, 3, 4, 5, 8, 9}), this->Contents(this->list));
    EXPECT_EQ(this->V(9), this->list.GetTail());
}

// FindIndex is bounded on both sides; Find never compares its start node and returns the nearest
// match after it.
TYPED_TEST(PointerListTest, FindIndexAndFind) {
    EXPECT_EQ(nullptr, this->list.FindIndex(0));
    for (int value : {1, 2, 1, 2}) {
        this->list.AddTail(this->V(value));
    }
    EXPECT_EQ(this->list.GetHeadPosition(), this->list.FindIndex(0));
    EXPECT_EQ(nullptr, this->list.FindIndex(-1));
    EXPECT_EQ(nullptr, this->list.FindIndex(4));
    EXPECT_EQ(this->list.FindIndex(0), this->list.Find(this->V(1)));
    EXPECT_EQ(this->list.FindIndex(2), this->list.Find(this->V(1), this->list.FindIndex(0)));
    EXPECT_EQ(nullptr, this->list.Find(this->V(1), this->list.FindIndex(2)));
}

}  // namespace
