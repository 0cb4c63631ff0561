// Compile-time checks of the fixed layouts of the collection classes, their nodes and
// associations (LP64: pointers 8 bytes, int 4). A failure here means a declaration in
// VelqonMfcContainers.h changed a shape that ported code and existing binaries rely on.
#include <stddef.h>

#include "VelqonMfcContainers.h"

// offsetof on a class with a virtual destructor is conditionally supported; GCC supports it, and
// this file only measures.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

static_assert(sizeof(CPortableString) == sizeof(char*), "a string slot is one pointer");
static_assert(sizeof(CObject) == sizeof(void*), "CObject is its vtable pointer only");
static_assert(sizeof(CPlex) == sizeof(void*) && offsetof(CPlex, pNextBlock) == 0,
              "a block header is its link only");

namespace {

// Each probe derives from a collection class so that it may name the protected fields and
// nested records.

template <class X>
struct ArrayProbe : X {
    static constexpr bool Fits() {
        return offsetof(ArrayProbe, m_pElements) == 8 && offsetof(ArrayProbe, m_nElements) == 16 &&
               offsetof(ArrayProbe, m_nAllocated) == 20 &&
               offsetof(ArrayProbe, m_nGrowStep) == 24 && sizeof(X) == 32;
    }
};

template <class X>
struct ListProbe : X {
    using Node = typename X::CNode;
    static constexpr bool Fits() {
        return offsetof(ListProbe, m_pHeadNode) == 8 && offsetof(ListProbe, m_pTailNode) == 16 &&
               offsetof(ListProbe, m_nNodeCount) == 24 &&
               offsetof(ListProbe, m_pSpareNodes) == 32 &&
               offsetof(ListProbe, m_pNodeBlocks) == 40 &&
               offsetof(ListProbe, m_nNodesPerBlock) == 48 && sizeof(X) == 56 &&
               offsetof(Node, pNextNode) == 0 && offsetof(Node, pPrevNode) == 8 &&
               offsetof(Node, element) == 16 && sizeof(Node) == 24;
    }
};

template <class X>
struct MapProbe : X {
    using Assoc = typename X::CAssoc;
    static constexpr bool Fits() {
        return offsetof(MapProbe, m_pHashTable) == 8 &&
               offsetof(MapProbe, m_nHashTableSize) == 16 && offsetof(MapProbe, m_nCount) == 20 &&
               offsetof(MapProbe, m_pFreeList) == 24 && offsetof(MapProbe, m_pBlocks) == 32 &&
               offsetof(MapProbe, m_nBlockSize) == 40 && sizeof(X) == 48 &&
               offsetof(Assoc, pNextAssoc) == 0;
    }
    // Pointer and word keys: next, key, value.
    static constexpr bool HasPlainAssoc() {
        return Fits() && offsetof(Assoc, key) == 8 && offsetof(Assoc, value) == 16 &&
               sizeof(Assoc) == 24;
    }
    // String keys: next, bucket index, key, value.
    static constexpr bool HasStringAssoc() {
        return Fits() && offsetof(Assoc, nBucketIndex) == 8 && offsetof(Assoc, key) == 16 &&
               offsetof(Assoc, value) == 24 && sizeof(Assoc) == 32;
    }
};

static_assert(ArrayProbe<CByteArray>::Fits(), "CByteArray layout");
static_assert(ArrayProbe<CWordArray>::Fits(), "CWordArray layout");
static_assert(ArrayProbe<CDWordArray>::Fits(), "CDWordArray layout");
static_assert(ArrayProbe<CUIntArray>::Fits(), "CUIntArray layout");
static_assert(ArrayProbe<CPtrArray>::Fits(), "CPtrArray layout");
static_assert(ArrayProbe<CObArray>::Fits(), "CObArray layout");
static_assert(ArrayProbe<CStringArray>::Fits(), "CStringArray layout");

static_assert(ListProbe<CPtrList>::Fits(), "CPtrList layout");
static_assert(ListProbe<CObList>::Fits(), "CObList layout");
static_assert(ListProbe<CStringList>::Fits(), "CStringList layout");

static_assert(MapProbe<CMapPtrToPtr>::HasPlainAssoc(), "CMapPtrToPtr layout");
static_assert(MapProbe<CMapPtrToWord>::HasPlainAssoc(), "CMapPtrToWord layout");
static_assert(MapProbe<CMapWordToPtr>::HasPlainAssoc(), "CMapWordToPtr layout");
static_assert(MapProbe<CMapWordToOb>::HasPlainAssoc(), "CMapWordToOb layout");
static_assert(MapProbe<CMapStringToPtr>::HasStringAssoc(), "CMapStringToPtr layout");
static_assert(MapProbe<CMapStringToOb>::HasStringAssoc(), "CMapStringToOb layout");
static_assert(MapProbe<CMapStringToString>::HasStringAssoc(), "CMapStringToString layout");

}  // namespace
