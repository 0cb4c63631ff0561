// CPlex chains.
#include <gtest/gtest.h>

#include "VelqonMfcContainers.h"
#include "allocation.h"

namespace {

// Calls FreeDataChain through a possibly null chain pointer, as legacy callers do. The null call
// is the behaviour under test, so the sanitizer's member-call-on-null check is off here, and the
// pointer passes through a volatile so that the compiler does not reject a constant null.
__attribute__((no_sanitize("null"))) void FreeChain(CPlex* chain) {
    CPlex* const volatile opaque = chain;
    opaque->FreeDataChain();
}

// Blocks go on the front of the chain with the data area right after the header; a zero-count
// block is linked too; one FreeDataChain frees them all, and on a null chain does nothing.
TEST(CPlexTest, ChainNewestFirstFreedTogether) {
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
    FreeChain(nullptr);
    EXPECT_EQ(before, LiveArrays());
}

}  // namespace
