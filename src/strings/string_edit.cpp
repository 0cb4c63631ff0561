// Editing a CPortableString in place: removing, replacing and storing characters, deleting and
// inserting runs, reversing and changing case. Each member copies a shared block before it
// writes, so other holders never see the change; these members work by length, so embedded zero
// bytes are ordinary characters (except for the case changes, which stop at the first one).
#include <stdint.h>
#include <string.h>

#include <utility>

#include "VelqonMFC.h"
#include "strings/string_blocks.h"

namespace {

using velqon_internal::BlockOf;
using velqon_internal::NewBlock;
using velqon_internal::NilText;
using velqon_internal::RefCountOf;
using velqon_internal::ReleaseBlock;

// Inserts the `count` characters at `chars` at `index` (clamped into [0, length]) of the string
// whose buffer pointer is `buffer`; returns the new length.
//
// A shared block, or one too small, is replaced by a block of exactly the new length, filled
// in one pass from the old block before that is released, so `chars` may point into this
// string. (That one allocation stands for the copy of a shared block: when it fails, a shared
// block is given up and the string left empty, an unshared one is left as it was.) Otherwise
// the tail moves up in place; `chars` may then lie in the text itself, before the insertion
// point (unmoved) or from it on (moved up by `count`), and is read from where it now stands.
int InsertRun(char*& buffer, int index, char const* chars, int count) {
    CPortableStringData* data = BlockOf(buffer);
    int const length = data->nLength;
    if (index < 0) {
        index = 0;
    }
    if (index > length) {
        index = length;
    }
    int const newLength = length + count;
    bool const shared = RefCountOf(data) > 1;
    if (shared || newLength > data->nCapacity) {
        char* fresh;
        try {
            fresh = NewBlock(newLength);
        } catch (...) {
            if (shared) {
                buffer = NilText();
                ReleaseBlock(data);
            }
            throw;
        }
        memcpy(fresh, buffer, static_cast<size_t>(index));
        memcpy(fresh + index, chars, static_cast<size_t>(count));
        memcpy(fresh + index + count, buffer + index, static_cast<size_t>(length - index));
        buffer = fresh;
        ReleaseBlock(data);
        return newLength;
    }
    char* text = buffer;
    uintptr_t const offset = reinterpret_cast<uintptr_t>(chars) - reinterpret_cast<uintptr_t>(text);
    memmove(text + index + count, text + index, static_cast<size_t>(length - index) + 1);
    if (offset <= static_cast<uintptr_t>(length)) {
        int const from = static_cast<int>(offset);
        int const unmoved = from < index ? (index - from < count ? index - from : count) : 0;
        memcpy(text + index, text + from, static_cast<size_t>(unmoved));
        memcpy(text + index + unmoved, text + from + unmoved + count,
               static_cast<size_t>(count - unmoved));
    } else {
        memmove(text + index, chars, static_cast<size_t>(count));
    }
    data->nLength = newLength;
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
    return InsertRun(m_pchBuffer, index, &ch, 1);
}

int CPortableString::Insert(int index, char const* text) {
    int const count = velqon_internal::TextLength(text);
    if (count < 1) {
        return GetData()->nLength;
    }
    return InsertRun(m_pchBuffer, index, text, count);
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
