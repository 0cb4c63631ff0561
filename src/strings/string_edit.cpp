// Editing a CPortableString in place: removing, replacing and storing characters, deleting and
// inserting runs, reversing and changing case. Each member copies a shared block before it
// writes, so other holders never see the change; these members work by length, so embedded zero
// bytes are ordinary characters (except for the case changes, which stop at the first one).
#include <string.h>

#include <utility>

#include "VelqonMFC.h"

namespace {

// Inserts `count` characters at `index` (clamped into [0, length]) of a string that is already
// private, growing its block to exactly the new length when it is too small. Returns the new
// length.
int InsertRun(CPortableString& s, int index, char const* chars, int count) {
    int length = s.GetLength();
    if (index < 0) {
        index = 0;
    }
    if (index > length) {
        index = length;
    }
    int newLength = length + count;
    char* text = s.GetBuffer(newLength);
    memmove(text + index + count, text + index, static_cast<size_t>(length - index) + 1);
    memcpy(text + index, chars, static_cast<size_t>(count));
    s.GetData()->nLength = newLength;
    return newLength;
}

}  // namespace

int CPortableString::Remove(char ch) {
    CopyBeforeWrite();
    CPortableStringData* data = GetData();
    char* end = m_pchBuffer + data->nLength;
    char* kept = m_pchBuffer;
    for (char const* p = m_pchBuffer; p < end; ++p) {
        if (*p != ch) {
            *kept++ = *p;
        }
    }
    int removed = static_cast<int>(end - kept);
    if (removed > 0) {
        *kept = '\0';
        data->nLength -= removed;
    }
    return removed;
}

int CPortableString::Replace(char from, char to) {
    if (from == to) {
        return 0;
    }
    CopyBeforeWrite();
    int count = 0;
    char* end = m_pchBuffer + GetData()->nLength;
    for (char* p = m_pchBuffer; p < end; ++p) {
        if (*p == from) {
            *p = to;
            ++count;
        }
    }
    return count;
}

// A range that runs past the end is cut at the end rather than moving bytes from beyond it.
int CPortableString::Delete(int index, int count) {
    int length = GetData()->nLength;
    if (index < 0) {
        index = 0;
    }
    if (count > length - index) {
        count = length - index;
    }
    if (count > 0) {
        CopyBeforeWrite();
        memmove(m_pchBuffer + index, m_pchBuffer + index + count,
                static_cast<size_t>(length - index - count) + 1);
        GetData()->nLength = length - count;
    }
    return length;
}

int CPortableString::Insert(int index, char ch) {
    CopyBeforeWrite();
    return InsertRun(*this, index, &ch, 1);
}

int CPortableString::Insert(int index, char const* text) {
    int count = SafeStrlen(text);
    if (count < 1) {
        return GetData()->nLength;
    }
    CopyBeforeWrite();
    return InsertRun(*this, index, text, count);
}

// An index outside the text is ignored: nothing is stored.
void CPortableString::SetAt(int index, char ch) {
    if (index < 0 || index >= GetData()->nLength) {
        return;
    }
    CopyBeforeWrite();
    m_pchBuffer[index] = ch;
}

void CPortableString::MakeReverse() {
    CopyBeforeWrite();
    int length = GetData()->nLength;
    for (int i = 0; i < length / 2; ++i) {
        std::swap(m_pchBuffer[i], m_pchBuffer[length - 1 - i]);
    }
}

void CPortableString::MakeLower() {
    CopyBeforeWrite();
    _strlwr(m_pchBuffer);
}

void CPortableString::MakeUpper() {
    CopyBeforeWrite();
    _strupr(m_pchBuffer);
}
