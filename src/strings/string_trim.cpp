// Trimming a CPortableString from either end. The scans see the text as a C string (they stop
// at the first zero byte); removing a leading run moves the rest of the text by its length.
//
// Each trim scans first, then copies a shared block before it writes, then cuts: the character
// set is read only before anything is released or written, so it may point into the string
// itself. The text scanned is the text the private copy holds, so the cut lands in the same
// place.
#include <ctype.h>
#include <string.h>

#include "VelqonMFC.h"

namespace {

bool IsSpace(char ch) {
    return isspace(static_cast<unsigned char>(ch)) != 0;
}

// Length of the leading run of characters accepted by `inRun`.
template <class InRun>
int LeadingRun(char const* text, InRun inRun) {
    int run = 0;
    while (text[run] != '\0' && inRun(text[run])) {
        ++run;
    }
    return run;
}

// Removes `run` leading characters from a private block: the rest, embedded zero bytes and
// terminator included, moves to the front.
void CutLeading(CPortableStringData* data, int run) {
    if (run > 0) {
        char* text = data->data();
        memmove(text, text + run, static_cast<size_t>(data->nLength - run) + 1);
        data->nLength -= run;
    }
}

// Where the text must end so that no run of accepted characters reaches its first zero byte:
// the C-string length, moved back over such a run. Never reads before the text.
template <class InRun>
int TrailingCut(char const* text, InRun inRun) {
    int keep = static_cast<int>(strlen(text));
    while (keep > 0 && inRun(text[keep - 1])) {
        --keep;
    }
    return keep;
}

// Ends a private block's text at `keep` when a trailing run was found before its first zero.
void CutTrailing(CPortableStringData* data, int keep) {
    char* text = data->data();
    if (text[keep] != '\0') {
        text[keep] = '\0';
        data->nLength = keep;
    }
}

}  // namespace

void CPortableString::TrimLeft() {
    int const run = LeadingRun(m_pchBuffer, IsSpace);
    CopyBeforeWrite();
    CutLeading(GetData(), run);
}

void CPortableString::TrimLeft(char ch) {
    int const run = LeadingRun(m_pchBuffer, [ch](char c) { return c == ch; });
    CopyBeforeWrite();
    CutLeading(GetData(), run);
}

void CPortableString::TrimLeft(char const* set) {
    if (set == nullptr || *set == '\0') {
        return;
    }
    int const run = LeadingRun(m_pchBuffer, [set](char c) { return strchr(set, c) != nullptr; });
    CopyBeforeWrite();
    CutLeading(GetData(), run);
}

void CPortableString::TrimRight() {
    int const keep = TrailingCut(m_pchBuffer, IsSpace);
    CopyBeforeWrite();
    CutTrailing(GetData(), keep);
}

void CPortableString::TrimRight(char ch) {
    int const keep = TrailingCut(m_pchBuffer, [ch](char c) { return c == ch; });
    CopyBeforeWrite();
    CutTrailing(GetData(), keep);
}

// A null set is taken as the empty set: nothing is trimmed.
void CPortableString::TrimRight(char const* set) {
    char const* members = set == nullptr ? "" : set;
    int const keep =
        TrailingCut(m_pchBuffer, [members](char c) { return strchr(members, c) != nullptr; });
    CopyBeforeWrite();
    CutTrailing(GetData(), keep);
}
