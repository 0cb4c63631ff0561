// Trimming a CPortableString from either end. The scans see the text as a C string (they stop
// at the first zero byte); removing a leading run moves the rest of the text by its length.
#include <ctype.h>
#include <string.h>

#include "VelqonMFC.h"

namespace {

bool IsSpace(char ch) {
    return isspace(static_cast<unsigned char>(ch)) != 0;
}

// Removes the run of leading characters accepted by `inRun`.
template <class InRun>
void TrimLeading(CPortableString& s, InRun inRun) {
    char const* text = s;
    int run = 0;
    while (text[run] != '\0' && inRun(text[run])) {
        ++run;
    }
    s.Delete(0, run);
}

// Cuts the text at the start of a run of accepted characters that reaches the end. One forward
// scan remembers where the current run began, so nothing before the buffer is ever read.
template <class InRun>
void TrimTrailing(CPortableString& s, InRun inRun) {
    CPortableStringData* data = s.GetData();
    char* text = data->data();
    char* runStart = nullptr;
    for (char* p = text; *p != '\0'; ++p) {
        if (!inRun(*p)) {
            runStart = nullptr;
        } else if (runStart == nullptr) {
            runStart = p;
        }
    }
    if (runStart != nullptr) {
        *runStart = '\0';
        data->nLength = static_cast<int>(runStart - text);
    }
}

}  // namespace

void CPortableString::TrimLeft() {
    CopyBeforeWrite();
    TrimLeading(*this, IsSpace);
}

void CPortableString::TrimLeft(char ch) {
    CopyBeforeWrite();
    TrimLeading(*this, [ch](char c) { return c == ch; });
}

void CPortableString::TrimLeft(char const* set) {
    if (SafeStrlen(set) == 0) {
        return;
    }
    CopyBeforeWrite();
    TrimLeading(*this, [set](char c) { return strchr(set, c) != nullptr; });
}

void CPortableString::TrimRight() {
    CopyBeforeWrite();
    TrimTrailing(*this, IsSpace);
}

void CPortableString::TrimRight(char ch) {
    CopyBeforeWrite();
    TrimTrailing(*this, [ch](char c) { return c == ch; });
}

// A null set is taken as the empty set: nothing is trimmed.
void CPortableString::TrimRight(char const* set) {
    CopyBeforeWrite();
    char const* members = set == nullptr ? "" : set;
    TrimTrailing(*this, [members](char c) { return strchr(members, c) != nullptr; });
}
