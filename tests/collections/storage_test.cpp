// How the collections hold memory: CPlex chains, and string elements shared and released.
#include <gtest/gtest.h>

#include "VelqonMfcContainers.h"
#include "allocation.h"
#include "collection_probes.h"

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
    EXPECT_EQ(second, chain);
    EXPECT_EQ(first, second->pNextBlock);
    EXPECT_EQ(nullptr, first->pNextBlock);
    EXPECT_EQ(static_cast<void*>(second + 1), second->data());
    EXPECT_EQ(before + 2, LiveArrays());
    FreeChain(chain);
    FreeChain(nullptr);
    EXPECT_EQ(before, LiveArrays());
}

// Strings stored by reference share the caller's block, C strings get blocks of their own (a
// null one gives the empty string), copies between collections share, removals hand over or
// release exactly their references, and deleting a collection through CObject* releases the
// rest.
TEST(StringSharingTest, CollectionsCountReferences) {
    long const before = LiveArrays();
    CPortableString const text("shared");
    auto* const array = new CStringArray;
    array->Add(text);
    array->InsertAt(0, text, 2);
    array->SetAtGrow(4, static_cast<char const*>(nullptr));
    CStringArray copy;
    copy.Copy(*array);
    auto* const list = new CStringList;
    list->AddTail(text);
    list->AddHead("own");
    list->AddTail(static_cast<char const*>(nullptr));
    auto* const map = new CMapStringToString;
    (*map)["k"] = text;
    CPortableString out;
    map->Lookup("k", out);
    EXPECT_EQ(10, RefCount(text));
    EXPECT_EQ(1, RefCount(list->GetHead()));
    EXPECT_EQ(0, array->GetAt(4).GetLength() + list->GetTail().GetLength());
    copy.SetSize(2);   // releases one reference
    copy.RemoveAt(0);  // and another
    CPortableString const head = list->RemoveHead();
    EXPECT_EQ(1, RefCount(head));
    EXPECT_EQ(8, RefCount(text));
    for (CObject* collection :
         {static_cast<CObject*>(array), static_cast<CObject*>(list), static_cast<CObject*>(map)}) {
        delete collection;
    }
    EXPECT_EQ(3, RefCount(text));         // `text`, `out` and the element left in `copy`
    EXPECT_EQ(before + 3, LiveArrays());  // their block, `head`'s and the storage of `copy`
}

}  // namespace
