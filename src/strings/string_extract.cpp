// Extracting parts of a CPortableString. A result that is the whole source shares the source's
// block; any other result gets a fresh, exactly sized block (or the sentinel when empty).
#include <string.h>

#include "VelqonMFC.h"

CPortableString CPortableString::Left(int count) const {
    if (count < 0) {
        count = 0;
    }
    if (count >= GetData()->nLength) {
        return *this;
    }
    CPortableString result;
    AllocCopy(result, count, 0, 0);
    return result;
}

CPortableString CPortableString::Right(int count) const {
    int length = GetData()->nLength;
    if (count < 0) {
        count = 0;
    }
    if (count >= length) {
        return *this;
    }
    CPortableString result;
    AllocCopy(result, count, length - count, 0);
    return result;
}

// The clamping steps run in this order on purpose: a first index past the end still shortens
// the count against it before the count drops to 0.
CPortableString CPortableString::Mid(int first, int count) const {
    int length = GetData()->nLength;
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
    if (first == 0 && count == length) {
        return *this;
    }
    CPortableString result;
    AllocCopy(result, count, first, 0);
    return result;
}

CPortableString CPortableString::Mid(int first) const {
    return Mid(first, GetData()->nLength - first);
}

CPortableString CPortableString::SpanIncluding(char const* set) const {
    return Left(static_cast<int>(strspn(m_pchBuffer, set)));
}

CPortableString CPortableString::SpanExcluding(char const* set) const {
    return Left(static_cast<int>(strcspn(m_pchBuffer, set)));
}
