// CPtrList and CObList: one behaviour suite run on both pointer lists.
#include <gtest/gtest.h>

#include <vector>

#include "VelqonMfcContainers.h"
#include "array_new_counter.h"
#include "probes.h"

namespace {

template <class X>
class PointerListTest : public ::testing::Test {
protected:
    using Element = typename std::remove_reference<decltype(std::declval<X&>().GetHead())>::type;

    static Element V(int i) { return Value<Element>(i); }

    // The elements from head to tail, checked against a walk from tail to head.
    static std::vector<int> Contents(X& list) {
        std::vector<int> forward;
        for (POSITION position = list.GetHeadPosition(); position != nullptr;) {
            forward.push_back(AsInt(list.GetNext(position)));
        }
        std::vector<int> backward;
        for (POSITION position = list.GetTailPosition(); position != nullptr;) {
            backward.insert(backward.begin(), AsInt(list.GetPrev(position)));
        }
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(static_cast<int>(forward.size()), list.GetCount());
        return forward;
    }

    // Appends 1, 2, ..., n.
    static void Fill(X& list, int n) {
        for (int i = 1; i <= n; ++i) {
            list.AddTail(V(i));
        }
    }

    ListProbe<X> list{10};
};

using PointerLists = ::testing::Types<CPtrList, CObList>;
TYPED_TEST_SUITE(PointerListTest, PointerLists);

// Nothing is allocated before the first insertion; each block holds 10 nodes handed out in
// ascending address order; the 11th element carves the second block.
TYPED_TEST(PointerListTest, NodeBlocksCarvedInAscendingOrder) {
    EXPECT_TRUE(this->list.HoldsNoMemory());
    std::vector<char*> nodes;
    for (int i = 1; i <= 10; ++i) {
        nodes.push_back(reinterpret_cast<char*>(this->list.AddTail(this->V(i))));
    }
    EXPECT_EQ(1, this->list.Blocks());
    for (size_t i = 1; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[0] + i * sizeof(typename ListProbe<TypeParam>::CNode), nodes[i]);
    }
    this->list.AddTail(this->V(11));
    EXPECT_EQ(2, this->list.Blocks());
}

// A freed node is the next one reused, most recently freed first.
TYPED_TEST(PointerListTest, FreedNodesReusedMostRecentFirst) {
    this->Fill(this->list, 4);
    POSITION const second = this->list.FindIndex(1);
    POSITION const third = this->list.FindIndex(2);
    this->list.RemoveAt(second);
    this->list.RemoveAt(third);
    EXPECT_EQ(third, this->list.AddHead(this->V(7)));
    EXPECT_EQ(second, this->list.AddTail(this->V(8)));
    EXPECT_EQ((std::vector<int>{7, 1, 4, 8}), this->Contents(this->list));
    EXPECT_EQ(1, this->list.Blocks());
}

// Removing the only element, by any of the three removals, releases every block; the next
// insertion carves a fresh one.
TYPED_TEST(PointerListTest, LastRemovalReleasesEverything) {
    long const before = LiveArrays();
    this->list.AddTail(this->V(1));
    EXPECT_EQ(this->V(1), this->list.RemoveHead());
    EXPECT_TRUE(this->list.HoldsNoMemory());
    this->list.AddTail(this->V(2));
    EXPECT_EQ(this->V(2), this->list.RemoveTail());
    EXPECT_TRUE(this->list.HoldsNoMemory());
    this->list.RemoveAt(this->list.AddHead(this->V(3)));
    EXPECT_TRUE(this->list.HoldsNoMemory());
    EXPECT_EQ(before, LiveArrays());
    this->list.AddTail(this->V(4));
    EXPECT_EQ(1, this->list.Blocks());
}

// Null positions insert at the ends; inserting next to the head or tail moves it.
TYPED_TEST(PointerListTest, InsertBeforeAndAfter) {
    this->list.InsertBefore(nullptr, this->V(2));
    this->list.InsertAfter(nullptr, this->V(4));
    this->list.InsertBefore(nullptr, this->V(1));
    this->list.InsertAfter(nullptr, this->V(5));
    this->list.InsertAfter(this->list.FindIndex(1), this->V(3));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), this->Contents(this->list));
    this->list.InsertBefore(this->list.GetHeadPosition(), this->V(0));
    this->list.InsertAfter(this->list.GetTailPosition(), this->V(6));
    EXPECT_EQ(this->V(0), this->list.GetHead());
    EXPECT_EQ(this->V(6), this->list.GetTail());
    this->list.RemoveAt(this->list.FindIndex(3));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 4, 5, 6}), this->Contents(this->list));
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
    POSITION const first = this->list.Find(this->V(1));
    EXPECT_EQ(this->list.FindIndex(0), first);
    EXPECT_EQ(this->list.FindIndex(2), this->list.Find(this->V(1), first));
    EXPECT_EQ(nullptr, this->list.Find(this->V(1), this->list.FindIndex(2)));
    EXPECT_EQ(nullptr, this->list.Find(this->V(9)));
}

// GetNext on the tail and GetPrev on the head end the walk with a null position.
TYPED_TEST(PointerListTest, WalkEndsWithNull) {
    this->Fill(this->list, 2);
    POSITION position = this->list.GetTailPosition();
    EXPECT_EQ(this->V(2), this->list.GetNext(position));
    EXPECT_EQ(nullptr, position);
    position = this->list.GetHeadPosition();
    EXPECT_EQ(this->V(1), this->list.GetPrev(position));
    EXPECT_EQ(nullptr, position);
}

// Another list's elements go in front of the head, or after the tail, in their own order.
TYPED_TEST(PointerListTest, AddWholeList) {
    TypeParam other;
    this->Fill(other, 2);
    this->list.AddTail(this->V(3));
    this->list.AddHead(&other);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), this->Contents(this->list));
    this->list.AddTail(&other);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 1, 2}), this->Contents(this->list));
    TypeParam empty;
    this->list.AddTail(&empty);
    EXPECT_EQ(5, this->list.GetCount());
}

// An insertion that cannot get a new block leaves the list as it was.
TYPED_TEST(PointerListTest, FailedInsertionKeepsList) {
    this->Fill(this->list, 10);
    FailNextArrayAllocation();
    EXPECT_THROW(this->list.AddTail(this->V(11)), std::bad_alloc);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), this->Contents(this->list));
    EXPECT_EQ(1, this->list.Blocks());
}

}  // namespace
