// Replacing every occurrence of one substring by another. A counting pass comes first, so the
// text is copied or grown at most once, into a block of exactly the final length.
#include <string.h>

#include <memory>

#include "VelqonMFC.h"
#include "strings/string_blocks.h"

namespace {

// A search or replacement text that stays readable while the string changes: where it points
// into the string's own block (which the replacement may rewrite or release) it is copied
// aside first, on the stack when short; otherwise it is used where it is.
class StableText {
public:
    StableText(char const* text, int length, CPortableStringData* block) : m_text(text) {
        if (!velqon_internal::PointsInto(text, block)) {
            return;
        }
        char* copy = m_inline;
        if (length >= static_cast<int>(sizeof m_inline)) {
            m_heap.reset(new char[static_cast<size_t>(length) + 1]);
            copy = m_heap.get();
        }
        memcpy(copy, text, static_cast<size_t>(length));
        copy[length] = '\0';
        m_text = copy;
    }
    StableText(StableText const&) = delete;
    StableText& operator=(StableText const&) = delete;

    char const* Get() const { return m_text; }

private:
    char const* m_text;
    char m_inline[64];
    std::unique_ptr<char[]> m_heap;
};

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
// so the result always has the length the counting pass computed. Either text may point into
// this string: such a text is copied aside before the string changes.
int CPortableString::Replace(char const* from, char const* to) {
    int const fromLength = velqon_internal::TextLength(from);
    if (fromLength == 0) {
        return 0;
    }
    int const toLength = velqon_internal::TextLength(to);
    int length = GetData()->nLength;

    int count = 0;
    ForEachOccurrence(m_pchBuffer, length, from, [&](char* hit) {
        ++count;
        return hit + fromLength;
    });
    if (count == 0) {
        return 0;
    }

    StableText const stableFrom(from, fromLength, GetData());
    StableText const stableTo(to == nullptr ? "" : to, toLength, GetData());
    from = stableFrom.Get();
    char const* replacement = stableTo.Get();  // a null replacement removes the hits
    CopyBeforeWrite();
    int const newLength = length + (toLength - fromLength) * count;
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
