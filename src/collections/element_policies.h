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

// Two static-analysis reports below are wrong, and are suppressed where they stand:
// - bugprone-sizeof-expression: T is a pointer type in the pointer and object arrays, whose
//   element size is sizeof(T) as for any other element;
// - clang-analyzer-core.NonNullParamChecker: the analyzer reaches these calls with a null pointer
//   and a positive count only on paths that begin with a negative index or size, a caller error
//   (the checked build stops it); with valid arguments a positive count comes with storage.
template <class T>
struct ScalarElements {
    using Element = T;
    using Arg = T;
    static constexpr bool kNeedsDestruction = false;

    static void Construct(T* first, int count) {
        if (count > 0) {
            // NOLINTNEXTLINE(bugprone-sizeof-expression,clang-analyzer-core.NonNullParamChecker)
            memset(static_cast<void*>(first), 0, static_cast<size_t>(count) * sizeof(T));
        }
    }
    static void Destroy(T*, int) {}
    static void Copy(T* dest, T const* source, int count) {
        if (count > 0) {
            // NOLINTNEXTLINE(bugprone-sizeof-expression,clang-analyzer-core.NonNullParamChecker)
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
        // NOLINTNEXTLINE(bugprone-sizeof-expression)
        size_t const bytes = static_cast<size_t>(count) * sizeof(T);
        // NOLINTNEXTLINE(clang-analyzer-core.NonNullParamChecker)
        memmove(static_cast<void*>(dest), static_cast<void const*>(source), bytes);
    }
}

}  // namespace velqon_internal

#endif  // VELQON_COLLECTIONS_ELEMENT_POLICIES_H
