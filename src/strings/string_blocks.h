// Block primitives shared by the CPortableString sources: the empty-string sentinel, allocating,
// sharing and releasing blocks. They are inline and hidden, so the string members build on them
// directly instead of calling one another through the dynamic symbol table; every count change
// still takes the interlocked counters' atomic step (threads/interlocked.h).
#ifndef VELQON_STRINGS_STRING_BLOCKS_H
#define VELQON_STRINGS_STRING_BLOCKS_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <new>

#include "VelqonMFC.h"
#include "threads/interlocked.h"

namespace velqon_internal {

// The sentinel block: a header followed directly by its one zero character.
struct NilBlock {
    CPortableStringData header;
    char terminator;
};

// The sentinel itself (string_core.cpp): count -1, length 0, capacity 0. Never written.
extern NilBlock _portableInitData __attribute__((visibility("hidden")));

inline bool IsNil(CPortableStringData const* data) {
    return data == &_portableInitData.header;
}

// The sentinel's zero character: the buffer pointer of every string that owns no block.
inline char* NilText() {
    return &_portableInitData.terminator;
}

// The block whose first character is `text`.
inline CPortableStringData* BlockOf(char const* text) {
    return reinterpret_cast<CPortableStringData*>(const_cast<char*>(text)) - 1;
}

// The count as the sharing decisions read it. Holders on other threads change it through the
// interlocked counters at any time, so it is read atomically; acquire pairs with their
// decrements, so a holder that finds itself the last one also sees every earlier use of the
// text by the holders that left.
inline long RefCountOf(CPortableStringData const* data) {
    return __atomic_load_n(&data->nRefCount, __ATOMIC_ACQUIRE);
}

// strlen, 0 for a null pointer.
inline int TextLength(char const* text) {
    return text == nullptr ? 0 : static_cast<int>(strlen(text));
}

// A new block of exactly `length` (>= 1) characters, count 1, its terminator written; returns
// its first character. One array new of header + length + 1 bytes.
inline char* NewBlock(int length) {
    char* raw = new char[sizeof(CPortableStringData) + static_cast<size_t>(length) + 1];
    CPortableStringData* data = new (raw) CPortableStringData;
    data->nRefCount = 1;
    data->nLength = length;
    data->nCapacity = length;
    data->data()[length] = '\0';
    return data->data();
}

// A new block holding the `length` bytes at `text`, or the sentinel's character for length 0.
inline char* NewBlockOf(char const* text, int length) {
    if (length == 0) {
        return NilText();
    }
    char* chars = NewBlock(length);
    memcpy(chars, text, static_cast<size_t>(length));
    return chars;
}

inline void FreeBlock(CPortableStringData* data) {
    delete[] reinterpret_cast<char*>(data);
}

// One more holder of a heap block.
inline void ShareBlock(CPortableStringData* data) {
    IncrementCounter(&data->nRefCount);
}

// One holder fewer; the block is freed when the count drops to 0 or below (a locked block goes
// from -1 to -2). The sentinel is never counted.
inline void ReleaseBlock(CPortableStringData* data) {
    if (!IsNil(data) && DecrementCounter(&data->nRefCount) <= 0) {
        FreeBlock(data);
    }
}

// The block GetBuffer(minCapacity) moves to when it cannot keep `old`: max(minCapacity, old
// length) characters holding old's text, terminator and length (the sentinel when that is 0).
// `old` is not released: the caller does that, when nothing reads it any more.
inline char* GrownCopy(CPortableStringData* old, int minCapacity) {
    int const capacity = minCapacity > old->nLength ? minCapacity : old->nLength;
    if (capacity == 0) {
        return NilText();
    }
    char* chars = NewBlock(capacity);
    memcpy(chars, old->data(), static_cast<size_t>(old->nLength) + 1);
    BlockOf(chars)->nLength = old->nLength;
    return chars;
}

// A new block holding the first source followed by the second; the sentinel when both are
// empty. A source of length 0 may be a null C string: it is not touched.
inline char* JoinedChars(int length1, char const* source1, int length2, char const* source2) {
    int const newLength = length1 + length2;
    if (newLength == 0) {
        return NilText();
    }
    char* chars = NewBlock(newLength);
    if (length1 > 0) {
        memcpy(chars, source1, static_cast<size_t>(length1));
    }
    if (length2 > 0) {
        memcpy(chars + length1, source2, static_cast<size_t>(length2));
    }
    return chars;
}

// ConcatInPlace on the string whose buffer pointer is `buffer`. The old block is released only
// after the copy, so appending a string to itself (or to a part of itself) reads intact text,
// and a failed allocation leaves the string as it was.
inline void AppendChars(char*& buffer, int length, char const* source) {
    if (length == 0) {
        return;
    }
    CPortableStringData* old = BlockOf(buffer);
    if (RefCountOf(old) <= 1 && old->nLength + length <= old->nCapacity) {
        memmove(buffer + old->nLength, source, static_cast<size_t>(length));
        old->nLength += length;
        buffer[old->nLength] = '\0';
        return;
    }
    buffer = JoinedChars(old->nLength, old->data(), length, source);
    ReleaseBlock(old);
}

// Empty() on the string whose buffer pointer is `buffer`: nothing for a zero-length text (an
// allocated empty block stays), a locked block is emptied in place and stays locked, any other
// block is released for the sentinel.
inline void EmptyChars(char*& buffer) {
    CPortableStringData* data = BlockOf(buffer);
    if (data->nLength == 0) {
        return;
    }
    if (RefCountOf(data) < 0) {
        data->nLength = 0;
        buffer[0] = '\0';
    } else {
        buffer = NilText();
        ReleaseBlock(data);
    }
}

// The buffer pointer of a string, for library code outside the class that builds strings with
// these primitives (the stream file's line reader). The pointer to the protected member is
// formed through a derived class, which is never instantiated.
inline char*& BufferOf(CPortableString& s) {
    struct Access : CPortableString {
        static char* CPortableString::*Buffer() { return &Access::m_pchBuffer; }
    };
    return s.*Access::Buffer();
}

// Whether `text` points into the characters of `data` (its whole capacity and terminator), so
// that writing to the block or releasing it would change or free what `text` designates.
inline bool PointsInto(char const* text, CPortableStringData* data) {
    uintptr_t const at = reinterpret_cast<uintptr_t>(text);
    uintptr_t const first = reinterpret_cast<uintptr_t>(data->data());
    return !IsNil(data) && at >= first && at - first <= static_cast<uintptr_t>(data->nCapacity);
}

}  // namespace velqon_internal

#endif  // VELQON_STRINGS_STRING_BLOCKS_H
