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
#include <string.h>

#include <new>

#include "VelqonMFC.h"
#include "checked.h"

namespace {

// The sentinel block: a header followed directly by its one zero character.
struct PortableNilBlock {
    CPortableStringData header;
    char terminator;
};
static_assert(offsetof(PortableNilBlock, terminator) == sizeof(CPortableStringData),
              "the sentinel's character must follow its header directly");

// Count -1 makes the sentinel look locked, so the copy constructor never shares it by count.
PortableNilBlock _portableInitData = {{-1, 0, 0}, '\0'};
CPortableStringData* const _portableDataNil = &_portableInitData.header;

bool IsNil(CPortableStringData const* data) {
    return data == _portableDataNil;
}

// The count as the sharing decisions read it. Holders on other threads change it through the
// interlocked counters at any time, so it is read atomically; acquire pairs with their
// decrements, so a holder that finds itself the last one also sees every earlier use of the
// text by the holders that left.
long RefCountOf(CPortableStringData const* data) {
    return __atomic_load_n(&data->nRefCount, __ATOMIC_ACQUIRE);
}

}  // namespace

char* const _portablePchNil = &_portableInitData.terminator;
char portableChNil = '\0';

// --- Internal helpers -----------------------------------------------------------------------

void CPortableString::Init() {
    m_pchBuffer = _portablePchNil;
}

void CPortableString::AllocBuffer(int length) {
    if (length == 0) {
        Init();
        return;
    }
    char* raw = new char[sizeof(CPortableStringData) + static_cast<size_t>(length) + 1];
    CPortableStringData* data = new (raw) CPortableStringData;
    data->nRefCount = 1;
    data->nLength = length;
    data->nCapacity = length;
    data->data()[length] = '\0';
    m_pchBuffer = data->data();
}

void CPortableString::FreeData(CPortableStringData* data) {
    delete[] reinterpret_cast<char*>(data);
}

void CPortableString::Release() {
    Release(GetData());
    Init();
}

void CPortableString::Release(CPortableStringData* data) {
    if (!IsNil(data) && InterlockedDecrement(&data->nRefCount) <= 0) {
        FreeData(data);
    }
}

// The private copy is taken while this object still counts as a holder of the shared block, so
// a holder releasing the block on another thread cannot free it in the middle of the copy.
// Should the allocation fail, the block is given up all the same and the string is left empty.
void CPortableString::CopyBeforeWrite() {
    CPortableStringData* old = GetData();
    if (RefCountOf(old) <= 1) {
        return;
    }
    try {
        AllocBuffer(old->nLength);
    } catch (...) {
        Release();
        throw;
    }
    memcpy(m_pchBuffer, old->data(), static_cast<size_t>(old->nLength));
    Release(old);
}

void CPortableString::AllocBeforeWrite(int length) {
    CPortableStringData* data = GetData();
    if (RefCountOf(data) > 1 || length > data->nCapacity) {
        Release();
        AllocBuffer(length);
    }
}

// memmove: `source` may be this string's own text (s = static_cast<char const*>(s) + 1).
// With length 0 it may also be null, and nothing is read from it.
void CPortableString::AssignCopy(int length, char const* source) {
    AllocBeforeWrite(length);
    CPortableStringData* data = GetData();
    if (IsNil(data)) {
        return;  // length is 0 and the sentinel already holds the empty text
    }
    if (length > 0) {
        memmove(m_pchBuffer, source, static_cast<size_t>(length));
    }
    data->nLength = length;
    m_pchBuffer[length] = '\0';
}

void CPortableString::AllocCopy(CPortableString& dest, int copyLength, int copyIndex,
                                int extraLength) const {
    int newLength = copyLength + extraLength;
    if (newLength == 0) {
        dest.Init();
        return;
    }
    dest.AllocBuffer(newLength);
    memcpy(dest.m_pchBuffer, m_pchBuffer + copyIndex, static_cast<size_t>(copyLength));
}

void CPortableString::ConcatCopy(int length1, char const* source1, int length2,
                                 char const* source2) {
    int newLength = length1 + length2;
    if (newLength == 0) {
        return;
    }
    AllocBuffer(newLength);
    // A source of length 0 may be a null C string: it is not touched.
    if (length1 > 0) {
        memcpy(m_pchBuffer, source1, static_cast<size_t>(length1));
    }
    if (length2 > 0) {
        memcpy(m_pchBuffer + length1, source2, static_cast<size_t>(length2));
    }
}

// The old block is released only after the copy, so appending a string to itself (or to a part
// of itself) reads intact text, and a failed allocation leaves the string as it was.
void CPortableString::ConcatInPlace(int length, char const* source) {
    if (length == 0) {
        return;
    }
    CPortableStringData* old = GetData();
    if (RefCountOf(old) <= 1 && old->nLength + length <= old->nCapacity) {
        memcpy(m_pchBuffer + old->nLength, source, static_cast<size_t>(length));
        old->nLength += length;
        m_pchBuffer[old->nLength] = '\0';
        return;
    }
    ConcatCopy(old->nLength, old->data(), length, source);
    Release(old);
}

int CPortableString::SafeStrlen(char const* text) {
    return lstrlen(text);
}

// --- Construction ---------------------------------------------------------------------------

CPortableString::CPortableString() {
    Init();
}

CPortableString::CPortableString(char const* text) {
    Init();
    int length = SafeStrlen(text);
    if (length != 0) {
        AllocBuffer(length);
        memcpy(m_pchBuffer, text, static_cast<size_t>(length));
    }
}

CPortableString::CPortableString(char const* text, int length) {
    VELQON_CHECK(length >= 0, "CPortableString::CPortableString: negative length %d", length);
    Init();
    if (length != 0) {
        AllocBuffer(length);
        memcpy(m_pchBuffer, text, static_cast<size_t>(length));
    }
}

CPortableString::CPortableString(char ch, int count) {
    Init();
    if (count >= 1) {
        AllocBuffer(count);
        memset(m_pchBuffer, ch, static_cast<size_t>(count));
    }
}

CPortableString::CPortableString(CPortableString const& source) {
    if (RefCountOf(source.GetData()) >= 0) {
        m_pchBuffer = source.m_pchBuffer;
        InterlockedIncrement(&GetData()->nRefCount);
    } else {
        Init();
        *this = source.m_pchBuffer;
    }
}

CPortableString::~CPortableString() {
    Release(GetData());
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
        AssignCopy(sourceData->nLength, source.m_pchBuffer);
    } else {
        Release();
        m_pchBuffer = source.m_pchBuffer;
        InterlockedIncrement(&sourceData->nRefCount);
    }
    return *this;
}

CPortableString& CPortableString::operator=(char const* text) {
    AssignCopy(SafeStrlen(text), text);
    return *this;
}

CPortableString& CPortableString::operator=(char ch) {
    AssignCopy(1, &ch);
    return *this;
}

CPortableString& CPortableString::operator+=(CPortableString const& text) {
    ConcatInPlace(text.GetData()->nLength, text.m_pchBuffer);
    return *this;
}

CPortableString& CPortableString::operator+=(char const* text) {
    ConcatInPlace(SafeStrlen(text), text);
    return *this;
}

CPortableString& CPortableString::operator+=(char ch) {
    ConcatInPlace(1, &ch);
    return *this;
}

CPortableString operator+(CPortableString const& left, CPortableString const& right) {
    CPortableString result;
    result.ConcatCopy(left.GetLength(), left.m_pchBuffer, right.GetLength(), right.m_pchBuffer);
    return result;
}

CPortableString operator+(CPortableString const& left, char const* right) {
    CPortableString result;
    result.ConcatCopy(left.GetLength(), left.m_pchBuffer, CPortableString::SafeStrlen(right),
                      right);
    return result;
}

CPortableString operator+(char const* left, CPortableString const& right) {
    CPortableString result;
    result.ConcatCopy(CPortableString::SafeStrlen(left), left, right.GetLength(),
                      right.m_pchBuffer);
    return result;
}

CPortableString operator+(CPortableString const& left, char right) {
    CPortableString result;
    result.ConcatCopy(left.GetLength(), left.m_pchBuffer, 1, &right);
    return result;
}

CPortableString operator+(char left, CPortableString const& right) {
    CPortableString result;
    result.ConcatCopy(1, &left, right.GetLength(), right.m_pchBuffer);
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
    AllocBuffer(minCapacity > old->nLength ? minCapacity : old->nLength);
    CPortableStringData* data = GetData();
    if (!IsNil(data)) {
        memcpy(m_pchBuffer, old->data(), static_cast<size_t>(old->nLength) + 1);
        data->nLength = old->nLength;
    }
    Release(old);
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
        newLength = lstrlen(m_pchBuffer);
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
    AllocBuffer(old->nLength);
    memcpy(m_pchBuffer, old->data(), static_cast<size_t>(old->nLength));
    Release(old);
}

void CPortableString::Empty() {
    CPortableStringData* data = GetData();
    if (data->nLength == 0) {
        return;
    }
    if (RefCountOf(data) < 0) {
        *this = &portableChNil;  // a locked block is emptied in place and stays locked
    } else {
        Release();
    }
}

// --- Global helpers -------------------------------------------------------------------------

// The exported pointer variable has exactly the shape of a string object (one char*).
CPortableString const& PortableGetEmptyString() {
    return *reinterpret_cast<CPortableString const*>(&_portablePchNil);
}

int PortableIsValidString(char const*) {
    return 1;
}
