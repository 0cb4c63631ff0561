// CPlex chains and the CObject root.
#include <gtest/gtest.h>

#include "VelqonMfcContainers.h"
#include "array_new_counter.h"
#include "probes.h"

namespace {

// Calls FreeDataChain through a possibly null chain pointer, as legacy callers do. The null call
// is the behaviour under test, so the sanitizer's member-call-on-null check is off here, and the
// pointer passes through a volatile so that the compiler does not reject a constant null.
__attribute__((no_sanitize("null"))) void FreeChain(CPlex* chain) {
    CPlex* volatile const opaque = chain;
    opaque->FreeDataChain();
}

// Blocks go on the front of the chain, have their data area right after the header, are freed
// all at once, and a zero-count block is still linked and freed.
TEST(CPlexTest, ChainNewestFirstAndFreedTogether) {
    long const before = LiveArrays();
    CPlex* chain = nullptr;
    CPlex* const first = CPlex::Create(chain, 0, 24);
    CPlex* const second = CPlex::Create(chain, 10, 24);
    CPlex* const third = CPlex::Create(chain, 3, 8);
    EXPECT_EQ(third, chain);
    EXPECT_EQ(second, third->pNextBlock);
    EXPECT_EQ(first, second->pNextBlock);
    EXPECT_EQ(nullptr, first->pNextBlock);
    EXPECT_EQ(static_cast<void*>(third + 1), third->data());
    EXPECT_EQ(before + 3, LiveArrays());
    FreeChain(chain);
    EXPECT_EQ(before, LiveArrays());
}

// FreeDataChain on the null chain of an empty container does nothing; a freed chain grows again.
TEST(CPlexTest, NullChainIsNoOp) {
    long const before = LiveArrays();
    FreeChain(nullptr);
    EXPECT_EQ(before, LiveArrays());
    CPlex* chain = nullptr;
    CPlex::Create(chain, 1, 8);
    FreeChain(chain);
    chain = nullptr;
    EXPECT_EQ(nullptr, CPlex::Create(chain, 1, 8)->pNextBlock);
    FreeChain(chain);
    EXPECT_EQ(before, LiveArrays());
}

// A failed Create leaves the chain as it was.
TEST(CPlexTest, FailedCreateKeepsChain) {
    CPlex* chain = nullptr;
    CPlex* const first = CPlex::Create(chain, 1, 8);
    FailNextArrayAllocation();
    EXPECT_THROW(CPlex::Create(chain, 1, 8), std::bad_alloc);
    EXPECT_EQ(first, chain);
    FreeChain(chain);
}

struct Tracked : CObject {
    explicit Tracked(bool* destroyed) : m_destroyed(destroyed) {}
    ~Tracked() override { *m_destroyed = true; }
    bool* m_destroyed;
};

// Deleting through CObject* runs the derived destructor; Ob collections never delete what they
// hold.
TEST(CObjectTest, VirtualDestructorAndNonOwningCollections) {
    bool destroyed = false;
    CObject* const object = new Tracked(&destroyed);
    {
        CObArray array;
        array.Add(object);
        CObList list;
        list.AddTail(object);
        CMapWordToOb map;
        map[1] = object;
    }
    EXPECT_FALSE(destroyed);
    delete object;
    EXPECT_TRUE(destroyed);
}

}  // namespace
