// CPortableString core: the empty-string sentinel, block allocation and release, construction,
// assignment, concatenation, comparison and buffer access.
//
// Block ownership: a heap block is one array-new allocation of header + capacity + 1 characters,
// shared by nRefCount holders and freed with array delete by the holder whose decrement leaves
// the count at 0 or below (a locked block, -1, goes to -2 and is freed by its one owner).
//
// The sentinel is never written. Some operations on an empty string would store values the
// sentinel already holds (length 0, a zero terminator, the locked count -1); every such store is
// skipped when the block is the sentinel, so threads that empty, lock or release strings at the
// same time never write the same static bytes, and the sentinel never changes after load.
//
// The primitives on blocks (allocate, share, release, append) are inline in string_blocks.h, so
// the members here and in the other string sources use them directly.
#include <string.h>

#include <new>

#include "VelqonMFC.h"
#include "checked.h"
#include "strings/string_blocks.h"

using velqon_internal::AppendChars;
using velqon_internal::BlockOf;
using velqon_internal::FreeBlock;
using velqon_internal::IsNil;
using velqon_internal::JoinedChars;
using velqon_internal::NewBlock;
using velqon_internal::NewBlockOf;
using velqon_internal::NilText;
using velqon_internal::RefCountOf;
using velqon_internal::ReleaseBlock;
using velqon_internal::ShareBlock;
using velqon_internal::TextLength;

static_assert(offsetof(velqon_internal::NilBlock, terminator) == sizeof(CPortableStringData),
              "the sentinel's character must follow its header directly");

// Count -1 makes the sentinel look locked, so the copy constructor never shares it by count.
velqon_internal::NilBlock velqon_internal::_portableInitData = {{-1, 0, 0}, '\0'};

char* const _portablePchNil = &velqon_internal::_portableInitData.terminator;
char portableChNil = '\0';

// --- Internal helpers -----------------------------------------------------------------------

namespace {

// Gives the string whose buffer pointer is `buffer` a block of its own holding `length`
// characters from `source`. The new block is filled before the old one is given up, so `source`
// may point into the string's own block, shared or not (a holder on another thread may free a
// shared block the moment this one lets go of it). When the allocation fails the old block is
// given up all the same and the string is left empty, as if the release had come first.
void ReplaceBlock(char*& buffer, char const* source, int length) {
    CPortableStringData* old = BlockOf(buffer);
    char* chars;
    try {
        chars = NewBlockOf(source, length);
    } catch (...) {
        buffer = NilText();
        ReleaseBlock(old);
        throw;
    }
    buffer = chars;
    ReleaseBlock(old);
}

// AssignCopy on the string whose buffer pointer is `buffer`: a new block when the old one is
// shared or too small, else the old one rewritten in place.
void AssignChars(char*& buffer, int length, char const* source) {
    CPortableStringData* data = BlockOf(buffer);
    if (RefCountOf(data) > 1 || length > data->nCapacity) {
        ReplaceBlock(buffer, source, length);
        return;
    }
    if (IsNil(data)) {
        return;  // length is 0 and the sentinel already holds the empty text
    }
    // memmove: `source` may be this string's own text (s = static_cast<char const*>(s) + 1).
    // With length 0 it may also be null, and nothing is read from it.
    if (length > 0) {
        memmove(buffer, source, static_cast<size_t>(length));
    }
    data->nLength = length;
    buffer[length] = '\0';
}

}  // namespace

void CPortableString::Init() {
    m_pchBuffer = NilText();
}

void CPortableString::AllocBuffer(int length) {
    m_pchBuffer = length == 0 ? NilText() : NewBlock(length);
}

void CPortableString::FreeData(CPortableStringData* data) {
    FreeBlock(data);
}

void CPortableString::Release() {
    ReleaseBlock(GetData());
    m_pchBuffer = NilText();
}

void CPortableString::Release(CPortableStringData* data) {
    ReleaseBlock(data);
}

// The private copy is taken while this object still counts as a holder of the shared block, so
// a holder releasing the block on another thread cannot free it in the middle of the copy.
// Should the allocation fail, the block is given up all the same and the string is left empty.
void CPortableString::CopyBeforeWrite() {
    CPortableStringData* old = GetData();
    if (RefCountOf(old) > 1) {
        ReplaceBlock(m_pchBuffer, old->data(), old->nLength);
    }
}

void CPortableString::AllocBeforeWrite(int length) {
    CPortableStringData* data = GetData();
    if (RefCountOf(data) > 1 || length > data->nCapacity) {
        m_pchBuffer = NilText();
        ReleaseBlock(data);
        m_pchBuffer = length == 0 ? NilText() : NewBlock(length);
    }
}

void CPortableString::AssignCopy(int length, char const* source) {
    AssignChars(m_pchBuffer, length, source);
}

void CPortableString::AllocCopy(CPortableString& dest, int copyLength, int copyIndex,
                                int extraLength) const {
    int const newLength = copyLength + extraLength;
    if (newLength == 0) {
        dest.m_pchBuffer = NilText();
        return;
    }
    dest.m_pchBuffer = NewBlock(newLength);
    memcpy(dest.m_pchBuffer, m_pchBuffer + copyIndex, static_cast<size_t>(copyLength));
}

void CPortableString::ConcatCopy(int length1, char const* source1, int length2,
                                 char const* source2) {
    if (length1 + length2 != 0) {
        m_pchBuffer = JoinedChars(length1, source1, length2, source2);
    }
}

void CPortableString::ConcatInPlace(int length, char const* source) {
    AppendChars(m_pchBuffer, length, source);
}

int CPortableString::SafeStrlen(char const* text) {
    return TextLength(text);
}

// --- Construction ---------------------------------------------------------------------------

CPortableString::CPortableString() {
    m_pchBuffer = NilText();
}

CPortableString::CPortableString(char const* text) {
    m_pchBuffer = NewBlockOf(text, TextLength(text));
}

CPortableString::CPortableString(char const* text, int length) {
    VELQON_CHECK(length >= 0, "CPortableString::CPortableString: negative length %d", length);
    m_pchBuffer = NewBlockOf(text, length);
}

CPortableString::CPortableString(char ch, int count) {
    if (count >= 1) {
        m_pchBuffer = NewBlock(count);
        memset(m_pchBuffer, ch, static_cast<size_t>(count));
    } else {
        m_pchBuffer = NilText();
    }
}

// A locked source (the sentinel counts as one) is copied as a C string, up to its first zero.
CPortableString::CPortableString(CPortableString const& source) {
    CPortableStringData* sourceData = source.GetData();
    if (RefCountOf(sourceData) >= 0) {
        m_pchBuffer = source.m_pchBuffer;
        ShareBlock(sourceData);
    } else {
        m_pchBuffer = NewBlockOf(source.m_pchBuffer, TextLength(source.m_pchBuffer));
    }
}

CPortableString::~CPortableString() {
    ReleaseBlock(GetData());
}

// --- Assignment and concatenation -----------------------------------------------------------

// Self-assignment is handled: the same buffer means this very string or another holder of its
// block, and either way there is nothing to do.
// NOLINTNEXTLINE(bugprone-unhandled-self-assignment,cert-oop54-cpp)
CPortableString& CPortableString::operator=(CPortableString const& source) {
    if (m_pchBuffer == source.m_pchBuffer) {
        return *this;
    }
    CPortableStringData* data = GetData();
    CPortableStringData* sourceData = source.GetData();
    if ((RefCountOf(data) < 0 && !IsNil(data)) || RefCountOf(sourceData) < 0) {
        AssignChars(m_pchBuffer, sourceData->nLength, source.m_pchBuffer);
    } else {
        ReleaseBlock(data);
        m_pchBuffer = source.m_pchBuffer;
        ShareBlock(sourceData);
    }
    return *this;
}

CPortableString& CPortableString::operator=(char const* text) {
    AssignChars(m_pchBuffer, TextLength(text), text);
    return *this;
}

CPortableString& CPortableString::operator=(char ch) {
    AssignChars(m_pchBuffer, 1, &ch);
    return *this;
}

CPortableString& CPortableString::operator+=(CPortableString const& text) {
    AppendChars(m_pchBuffer, text.GetData()->nLength, text.m_pchBuffer);
    return *this;
}

CPortableString& CPortableString::operator+=(char const* text) {
    AppendChars(m_pchBuffer, TextLength(text), text);
    return *this;
}

CPortableString& CPortableString::operator+=(char ch) {
    AppendChars(m_pchBuffer, 1, &ch);
    return *this;
}

CPortableString operator+(CPortableString const& left, CPortableString const& right) {
    CPortableString result;
    result.m_pchBuffer =
        JoinedChars(left.GetLength(), left.m_pchBuffer, right.GetLength(), right.m_pchBuffer);
    return result;
}

CPortableString operator+(CPortableString const& left, char const* right) {
    CPortableString result;
    result.m_pchBuffer = JoinedChars(left.GetLength(), left.m_pchBuffer, TextLength(right), right);
    return result;
}

CPortableString operator+(char const* left, CPortableString const& right) {
    CPortableString result;
    result.m_pchBuffer = JoinedChars(TextLength(left), left, right.GetLength(), right.m_pchBuffer);
    return result;
}

CPortableString operator+(CPortableString const& left, char right) {
    CPortableString result;
    result.m_pchBuffer = JoinedChars(left.GetLength(), left.m_pchBuffer, 1, &right);
    return result;
}

CPortableString operator+(char left, CPortableString const& right) {
    CPortableString result;
    result.m_pchBuffer = JoinedChars(1, &left, right.GetLength(), right.m_pchBuffer);
    return result;
}

// --- Comparison -----------------------------------------------------------------------------

int CPortableString::Compare(char const* text) const {
    return strcmp(m_pchBuffer, text);
}

bool operator==(CPortableString const& left, char const* right) {
    return left.Compare(right) == 0;
}

// --- Buffer access --------------------------------------------------------------------------

char* CPortableString::GetBuffer(int minCapacity) {
    CPortableStringData* old = GetData();
    if (RefCountOf(old) <= 1 && old->nCapacity >= minCapacity) {
        return m_pchBuffer;
    }
    m_pchBuffer = velqon_internal::GrownCopy(old, minCapacity);
    ReleaseBlock(old);
    return m_pchBuffer;
}

void CPortableString::ReleaseBuffer(int newLength) {
    VELQON_CHECK(newLength >= -1, "CPortableString::ReleaseBuffer: negative length %d", newLength);
    CopyBeforeWrite();
    // Checked against the capacity of the private block: the copy of a block shared since
    // GetBuffer is only as long as its text.
    VELQON_CHECK(newLength <= GetData()->nCapacity,
                 "CPortableString::ReleaseBuffer: length %d exceeds capacity %d", newLength,
                 GetData()->nCapacity);
    if (newLength == -1) {
        newLength = TextLength(m_pchBuffer);
    }
    CPortableStringData* data = GetData();
    if (!IsNil(data)) {
        data->nLength = newLength;
        m_pchBuffer[newLength] = '\0';
    }
}

char* CPortableString::GetBufferSetLength(int newLength) {
    VELQON_CHECK(newLength >= 0, "CPortableString::GetBufferSetLength: negative length %d",
                 newLength);
    GetBuffer(newLength);
    CPortableStringData* data = GetData();
    if (!IsNil(data)) {
        data->nLength = newLength;
        m_pchBuffer[newLength] = '\0';
    }
    return m_pchBuffer;
}

char* CPortableString::LockBuffer() {
    char* buffer = GetBuffer(0);
    CPortableStringData* data = GetData();
    if (!IsNil(data)) {
        data->nRefCount = -1;
    }
    return buffer;
}

void CPortableString::UnlockBuffer() {
    CPortableStringData* data = GetData();
    if (!IsNil(data)) {
        data->nRefCount = 1;
    }
}

void CPortableString::FreeExtra() {
    CPortableStringData* old = GetData();
    if (old->nLength == old->nCapacity) {
        return;
    }
    m_pchBuffer = NewBlockOf(old->data(), old->nLength);
    ReleaseBlock(old);
}

void CPortableString::Empty() {
    velqon_internal::EmptyChars(m_pchBuffer);
}

// --- Global helpers -------------------------------------------------------------------------

// The exported pointer variable has exactly the shape of a string object (one char*).
CPortableString const& PortableGetEmptyString() {
    return *reinterpret_cast<CPortableString const*>(&_portablePchNil);
}

int PortableIsValidString(char const*) {
    return 1;
}
