// Element helpers for string slots inside collection storage.
//
// A slot is raw memory the size of one CPortableString (one pointer). It is either live (holds a
// string that must be destroyed exactly once) or raw. The collections relocate live slots by
// byte copy without touching reference counts: afterwards the value belongs to the new slot and
// the old one counts as raw. They create and destroy slots only through these helpers.
#ifndef VELQON_COLLECTIONS_STRING_ELEMENTS_H
#define VELQON_COLLECTIONS_STRING_ELEMENTS_H

#include <string.h>

#include "VelqonMFC.h"

// Makes a raw slot an empty string by storing the sentinel pointer; reads nothing, allocates
// nothing, counts nothing.
inline void ConstructElement(CPortableString* slot) {
    char* const empty = _portablePchNil;
    memcpy(static_cast<void*>(slot), &empty, sizeof empty);
}

// Destroys a live slot (releasing its block); the slot is raw afterwards.
inline void DestructElement(CPortableString* slot) {
    slot->~CPortableString();
}

// The run forms work first to last and count `count` down to zero: it must not be negative.
inline void ConstructElements(CPortableString* first, int count) {
    for (; count != 0; --count) {
        ConstructElement(first++);
    }
}

inline void DestructElements(CPortableString* first, int count) {
    for (; count != 0; --count) {
        DestructElement(first++);
    }
}

// Assigns each source string to the live destination slot at the same index, so each
// destination shares its source's block unless that block is locked.
inline void CopyElements(CPortableString* dest, CPortableString const* source, int count) {
    for (; count != 0; --count) {
        // NOLINTNEXTLINE(clang-analyzer-core.CallAndMessage): see element_policies.h
        *dest++ = *source++;
    }
}

#endif  // VELQON_COLLECTIONS_STRING_ELEMENTS_H
