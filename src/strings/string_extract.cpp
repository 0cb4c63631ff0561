// Extracting parts of a CPortableString. A result that is the whole source shares the source's
// block; any other result gets a fresh, exactly sized block (or the sentinel when empty), built
// in one allocation and one copy.
#include <string.h>

#include "VelqonMFC.h"

namespace {

// Clamps a first index and a count against a text of `length` characters, in this order on
// purpose: negatives become 0; a count running past the end is cut there; a first index past
// the end leaves nothing. The arithmetic is 64-bit, so every int argument clamps exactly as
// unbounded integers would (Mid(2, INT_MAX), Mid(INT_MIN), Mid(INT_MAX, 1)).
struct Range {
    int first;
    int count;
};

Range Clamp(long first, long count, int length) {
    if (first < 0) {
        first = 0;
    }
    if (count < 0) {
        count = 0;
    }
    if (first + count > length) {
        count = length - first;
    }
    if (first > length) {
        count = 0;
    }
    return {static_cast<int>(first), static_cast<int>(count)};
}

// `count` characters from `first` of `text`, as a new block; nothing at all for count 0, whose
// first index may lie anywhere past the end.
CPortableString Part(char const* text, int first, int count) {
    return count == 0 ? CPortableString() : CPortableString(text + first, count);
}

}  // namespace

CPortableString CPortableString::Left(int count) const {
    if (count < 0) {
        count = 0;
    }
    if (count >= GetData()->nLength) {
        return *this;
    }
    return Part(m_pchBuffer, 0, count);
}

CPortableString CPortableString::Right(int count) const {
    int const length = GetData()->nLength;
    if (count < 0) {
        count = 0;
    }
    if (count >= length) {
        return *this;
    }
    return Part(m_pchBuffer, length - count, count);
}

CPortableString CPortableString::Mid(int first, int count) const {
    int const length = GetData()->nLength;
    Range const range = Clamp(first, count, length);
    if (range.first == 0 && range.count == length) {
        return *this;
    }
    return Part(m_pchBuffer, range.first, range.count);
}

// The count is length - first of the caller's first index, before any clamping.
CPortableString CPortableString::Mid(int first) const {
    int const length = GetData()->nLength;
    Range const range = Clamp(first, static_cast<long>(length) - first, length);
    if (range.first == 0 && range.count == length) {
        return *this;
    }
    return Part(m_pchBuffer, range.first, range.count);
}

// Left of the span: the whole string when the span reaches the length.
CPortableString CPortableString::SpanIncluding(char const* set) const {
    int const span = static_cast<int>(strspn(m_pchBuffer, set));
    if (span >= GetData()->nLength) {
        return *this;
    }
    return Part(m_pchBuffer, 0, span);
}

CPortableString CPortableString::SpanExcluding(char const* set) const {
    int const span = static_cast<int>(strcspn(m_pchBuffer, set));
    if (span >= GetData()->nLength) {
        return *this;
    }
    return Part(m_pchBuffer, 0, span);
}
