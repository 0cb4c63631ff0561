// How the engines create, destroy, copy and assign the elements (and map values) they store.
//
// Both kinds are relocated by the engines as bytes. A policy differs only in what a fresh slot
// holds and what leaving a slot costs: scalar elements (integers and pointers) start as zero
// bytes and need no destruction; strings start empty, are assigned by sharing and must be
// destroyed exactly once.
#ifndef VELQON_COLLECTIONS_ELEMENT_POLICIES_H
#define VELQON_COLLECTIONS_ELEMENT_POLICIES_H

#include <string.h>

#include "string_elements.h"

namespace velqon_internal {

template <class T>
struct ScalarElements {
    using Element = T;
    using Arg = T;
    static constexpr bool kNeedsDestruction = false;

    static void Construct(T* first, int count) {
        if (count > 0) {
            memset(static_cast<void*>(first), 0, static_cast<size_t>(count) * sizeof(T));
        }
    }
    static void Destroy(T*, int) {}
    static void Copy(T* dest, T const* source, int count) {
        if (count > 0) {
            memcpy(static_cast<void*>(dest), source, static_cast<size_t>(count) * sizeof(T));
        }
    }
    static void Assign(T& slot, T value) { slot = value; }
};

struct StringElements {
    using Element = CPortableString;
    using Arg = CPortableString const&;
    static constexpr bool kNeedsDestruction = true;

    static void Construct(CPortableString* first, int count) { ConstructElements(first, count); }
    static void Destroy(CPortableString* first, int count) { DestructElements(first, count); }
    static void Copy(CPortableString* dest, CPortableString const* source, int count) {
        CopyElements(dest, source, count);
    }
    static void Assign(CPortableString& slot, CPortableString const& value) { slot = value; }
};

// Moves `count` elements as bytes between possibly overlapping runs; nothing is constructed,
// destroyed or counted.
template <class T>
void RelocateElements(T* dest, T const* source, int count) {
    if (count > 0) {
        memmove(static_cast<void*>(dest), static_cast<void const*>(source),
                static_cast<size_t>(count) * sizeof(T));
    }
}

}  // namespace velqon_internal

#endif  // VELQON_COLLECTIONS_ELEMENT_POLICIES_H
