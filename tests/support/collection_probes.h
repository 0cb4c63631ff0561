// Test views of the collection classes.
#ifndef VELQON_TESTS_SUPPORT_COLLECTION_PROBES_H
#define VELQON_TESTS_SUPPORT_COLLECTION_PROBES_H

#include <stdint.h>

#include <type_traits>

#include "VelqonMfcContainers.h"

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

// Holders of a string's block (-1 while locked, and for the sentinel).
inline long RefCount(CPortableString const& s) {
    return s.GetData()->nRefCount;
}

// Reads the capacity and growth step that an array keeps protected.
template <class X>
struct ArrayProbe : X {
    int Capacity() const { return this->m_nAllocated; }
    int GrowStep() const { return this->m_nGrowStep; }
};

#endif  // VELQON_TESTS_SUPPORT_COLLECTION_PROBES_H
