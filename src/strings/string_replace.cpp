// Replacing every occurrence of one substring by another. A counting pass comes first, so the
// text is copied or grown at most once, into a block of exactly the final length.
#include <string.h>

#include "VelqonMFC.h"

namespace {

// Walks every zero-separated segment of text[0, length) and calls onHit(hit) for each
// non-overlapping occurrence of `from`; onHit returns where the search resumes and may change
// `length`, which is read again before each segment.
template <class OnHit>
void ForEachOccurrence(char* text, int const& length, char const* from, OnHit onHit) {
    char* start = text;
    while (start < text + length) {
        for (char* hit = strstr(start, from); hit != nullptr; hit = strstr(start, from)) {
            start = onHit(hit);
        }
        start += strlen(start) + 1;
    }
}

}  // namespace

// Every segment after an embedded zero byte is replaced too, also when the text grows in place,
// so the result always has the length the counting pass computed.
int CPortableString::Replace(char const* from, char const* to) {
    int fromLength = SafeStrlen(from);
    if (fromLength == 0) {
        return 0;
    }
    int toLength = SafeStrlen(to);
    char const* replacement = to == nullptr ? "" : to;  // a null replacement removes the hits
    int length = GetData()->nLength;

    int count = 0;
    ForEachOccurrence(m_pchBuffer, length, from, [&](char* hit) {
        ++count;
        return hit + fromLength;
    });
    if (count == 0) {
        return 0;
    }

    CopyBeforeWrite();
    int newLength = length + (toLength - fromLength) * count;
    char* text = GetBuffer(newLength);  // a block of exactly newLength when this one is too small
    ForEachOccurrence(text, length, from, [&](char* hit) {
        char* tail = hit + fromLength;
        memmove(hit + toLength, tail, static_cast<size_t>(text + length - tail));
        memcpy(hit, replacement, static_cast<size_t>(toLength));
        length += toLength - fromLength;
        text[length] = '\0';
        return hit + toLength;
    });
    GetData()->nLength = newLength;
    return count;
}
