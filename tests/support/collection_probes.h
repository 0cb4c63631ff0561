// Test views of the collection classes: each probe derives from a collection class to read the
// protected fields that the observable behaviour (capacity, node blocks, bucket array) lives in.
#ifndef VELQON_TESTS_SUPPORT_COLLECTION_PROBES_H
#define VELQON_TESTS_SUPPORT_COLLECTION_PROBES_H

#include <stdint.h>

#include <type_traits>

#include "VelqonMfcContainers.h"
#include "string_probes.h"

// Number of blocks in a CPlex chain.
inline int ChainLength(CPlex const* chain) {
    int length = 0;
    for (; chain != nullptr; chain = chain->pNextBlock) {
        ++length;
    }
    return length;
}

// A distinct, recognisable element value of type T for the integer i (pointers get the address
// value i, never dereferenced).
template <class T>
T Value(int i) {
    if constexpr (std::is_pointer<T>::value) {
        return reinterpret_cast<T>(static_cast<uintptr_t>(i));
    } else {
        return static_cast<T>(i);
    }
}

// The integer an element made by Value() came from.
template <class T>
int AsInt(T value) {
    if constexpr (std::is_pointer<T>::value) {
        return static_cast<int>(reinterpret_cast<uintptr_t>(value));
    } else {
        return static_cast<int>(value);
    }
}

template <class X>
struct ArrayProbe : X {
    int Capacity() const { return this->m_nAllocated; }
    int GrowStep() const { return this->m_nGrowStep; }
};

template <class X>
struct ListProbe : X {
    using typename X::CNode;
    using X::X;
    int Blocks() const { return ChainLength(this->m_pNodeBlocks); }
    bool HoldsNoMemory() const {
        return this->m_pHeadNode == nullptr && this->m_pTailNode == nullptr &&
               this->m_nNodeCount == 0 && this->m_pSpareNodes == nullptr &&
               this->m_pNodeBlocks == nullptr;
    }
};

template <class X>
struct MapProbe : X {
    using X::GetAssocAt;
    using X::X;
    int Blocks() const { return ChainLength(this->m_pBlocks); }
    bool HasTable() const { return this->m_pHashTable != nullptr; }
    bool HoldsNoMemory() const {
        return this->m_pHashTable == nullptr && this->m_nCount == 0 &&
               this->m_pFreeList == nullptr && this->m_pBlocks == nullptr;
    }
};

#endif  // VELQON_TESTS_SUPPORT_COLLECTION_PROBES_H
