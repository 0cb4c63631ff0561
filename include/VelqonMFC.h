// VelqonMFC.h - strings, interlocked counters, files, directory search and time values.
//
// Thread-safety: the interlocked counters may be called from any thread. Every other class in
// this header takes no lock: one object is used by one thread at a time. Distinct string objects
// that share one character block may be copied, assigned and destroyed on different threads,
// because the block's reference count only changes through the interlocked counters.
#ifndef VELQON_MFC_H
#define VELQON_MFC_H

#include <stdarg.h>
#include <stddef.h>
#include <sys/types.h>
#include <time.h>

#define VELQON_API __attribute__((visibility("default")))

// ---------------------------------------------------------------------------------------------
// Interlocked counters
// ---------------------------------------------------------------------------------------------
extern "C" {
// Adds 1 to *counter as one atomic step and returns the new value. Lock-free; safe from any
// thread. Plain reads and writes of the same counter elsewhere are not synchronised by it.
VELQON_API long InterlockedIncrement(long* counter);
// Subtracts 1 from *counter as one atomic step and returns the new value (-1 gives -2).
VELQON_API long InterlockedDecrement(long* counter);
}

// ---------------------------------------------------------------------------------------------
// C-string helpers
// ---------------------------------------------------------------------------------------------
extern "C" {
// strlen of the argument; 0 for a null pointer.
VELQON_API int lstrlen(char const* text);
// Lower-case the string in place with tolower, each byte passed as a signed char (so bytes
// 128-255 convert only as the current locale classifies them); returns its argument.
VELQON_API char* strlwr(char* text);
VELQON_API char* _strlwr(char* text);
// Upper-case counterparts of strlwr/_strlwr.
VELQON_API char* strupr(char* text);
VELQON_API char* _strupr(char* text);
}

// Scratch storage of at least `size` bytes, 16-byte aligned, released when the calling function
// returns. It must expand in the caller to live in the caller's frame, so it is a macro over the
// compiler's alloca rather than a library function.
#define _alloca(size) __builtin_alloca(size)

// ---------------------------------------------------------------------------------------------
// CPortableString: reference-counted, copy-on-write 8-bit string
// ---------------------------------------------------------------------------------------------

// Header of a string's heap block, immediately followed by nCapacity + 1 characters.
// Fixed layout: count, length, capacity, characters; user code and the collections rely on it.
struct CPortableStringData {
    long nRefCount;  // holders of the block; -1 while locked (one owner, never shared)
    int nLength;     // characters in use, terminator not counted
    int nCapacity;   // characters the block can hold, terminator not counted

    // First character, directly after the header.
    char* data() { return reinterpret_cast<char*>(this + 1); }
};

// Pointer to the zero character of the static empty-string sentinel. A string that owns no
// block holds exactly this pointer. The sentinel is never counted or freed.
extern VELQON_API char* const _portablePchNil;
// A separate zero character: an empty C string.
extern VELQON_API char portableChNil;

// An 8-bit string holding one pointer into a shared, reference-counted block.
//
// Fixed shape: exactly one data member (m_pchBuffer), no base class, no virtual function. Arrays
// of strings lay the objects out contiguously and the collections create empty strings by storing
// _portablePchNil into a slot, so this shape must never change.
//
// Ownership: copies share one block and raise its count; the first modifying call on a shared
// block gives the modifying object a private, exactly sized copy. Blocks are never rounded up:
// a block only has spare capacity after GetBuffer, ReleaseBuffer/GetBufferSetLength, or an
// operation that shortened the text in place.
//
// Allocation failure throws std::bad_alloc. Operations that allocate before they release
// (constructors, GetBuffer, FreeExtra, appends, operator+) leave the object unchanged; those that
// must first give up a shared block (assignments that need a new block, and any modification of
// a shared block) leave the object empty, on the sentinel.
class VELQON_API CPortableString {
public:
    // The empty string (the sentinel; no allocation).
    CPortableString();
    // Copy of a C string; a null or empty pointer gives the empty string.
    CPortableString(char const* text);
    // Exactly `length` bytes from `text`, zero bytes included; length 0 gives the empty string.
    CPortableString(char const* text, int length);
    // `count` copies of `ch`; a count <= 0 gives the empty string.
    CPortableString(char ch, int count);
    // Shares the source's block (count + 1). A locked source is copied as a C string instead,
    // so its text is cut at its first zero byte.
    CPortableString(CPortableString const& source);
    // 16-bit wide (UTF-16) text of `length` units, converted to UTF-8; a negative length reads
    // up to the first zero unit, and an unpaired surrogate becomes '?'. Legacy builds stopped
    // the process here; porting code that still reaches this call gets working text instead.
    CPortableString(unsigned short const* wide, int length);
    // Releases the block (freed when this was its last holder).
    ~CPortableString();

    // Shares the source's block, unless either side is locked: then the characters are copied
    // (by length, zero bytes kept). Self-assignment changes nothing.
    CPortableString& operator=(CPortableString const& source);
    // Copies the C string (null gives the empty string); an unshared block that is large enough
    // is reused, so assignment never shrinks capacity.
    CPortableString& operator=(char const* text);
    // The one-character string `ch`; a zero character is kept and counted.
    CPortableString& operator=(char ch);

    // Appends; grows to exactly the combined length when there is no room. Appending a string
    // to itself is allowed.
    CPortableString& operator+=(CPortableString const& text);
    CPortableString& operator+=(char const* text);
    // Appends one character; a zero character is appended and counted.
    CPortableString& operator+=(char ch);

    friend VELQON_API CPortableString operator+(CPortableString const& left,
                                                CPortableString const& right);
    friend VELQON_API CPortableString operator+(CPortableString const& left, char const* right);
    friend VELQON_API CPortableString operator+(char const* left, CPortableString const& right);
    friend VELQON_API CPortableString operator+(CPortableString const& left, char right);
    friend VELQON_API CPortableString operator+(char left, CPortableString const& right);

    // The characters as a C string; an empty string yields the sentinel's "".
    operator char const*() const { return m_pchBuffer; }
    // strcmp with `text` (must not be null): stops at the first zero byte; only the sign counts.
    int Compare(char const* text) const;

    // Convenience accessors, inline over the block header.
    // Number of characters (embedded zero bytes included).
    int GetLength() const { return GetData()->nLength; }
    // 1 when the length is 0.
    int IsEmpty() const { return GetData()->nLength == 0; }
    // Character at `index` (0 <= index < GetLength()).
    char GetAt(int index) const { return m_pchBuffer[index]; }
    char operator[](int index) const { return m_pchBuffer[index]; }

    // Buffer access ---------------------------------------------------------------------------
    // A writable buffer of at least `minCapacity` characters holding the current text. The same
    // buffer when the block is unshared (or locked) and large enough; otherwise a new private
    // block of max(minCapacity, length). Call ReleaseBuffer after writing.
    char* GetBuffer(int minCapacity);
    // Ends a GetBuffer: the length becomes `newLength` (-1: up to the first zero byte) and the
    // character there is set to zero. newLength must not exceed the capacity.
    void ReleaseBuffer(int newLength = -1);
    // GetBuffer(newLength), then the length is set to newLength; returns the buffer.
    char* GetBufferSetLength(int newLength);
    // Makes the block private and locks it (count -1): copies then take their own characters
    // and the buffer pointer stays valid until UnlockBuffer or the string dies.
    char* LockBuffer();
    // Sets the count of a locked block back to 1. Call only while locked.
    void UnlockBuffer();
    // Shrinks the block to exactly the length (zero length returns to the sentinel).
    void FreeExtra();
    // Empties the string: releases the block, empties a locked block in place, and keeps an
    // allocated zero-length block as it is.
    void Empty();

    // Searching (positions are int; -1 when not found) ----------------------------------------
    // First `ch` at or after `start`; -1 when start >= length. Stops at the first zero byte.
    int Find(char ch, int start) const;
    int Find(char ch) const;
    // First occurrence of `text` at or after `start`; start == length is accepted (an empty
    // `text` then yields start); -1 when start > length.
    int Find(char const* text, int start) const;
    int Find(char const* text) const;
    // Last `ch` before the first zero byte; a zero `ch` yields the C-string length.
    int ReverseFind(char ch) const;
    // First character that belongs to `set`; -1 for none or an empty set.
    int FindOneOf(char const* set) const;

    // Extraction: a whole-string result shares this block; any other result gets a fresh,
    // exactly sized block ------------------------------------------------------------------
    CPortableString Left(int count) const;
    CPortableString Right(int count) const;
    // `count` characters from `first`, both clamped into the text.
    CPortableString Mid(int first, int count) const;
    CPortableString Mid(int first) const;
    CPortableString SpanIncluding(char const* set) const;
    CPortableString SpanExcluding(char const* set) const;

    // Editing (each copies a shared block before writing unless stated otherwise) -------------
    void TrimLeft();
    void TrimLeft(char ch);
    // A null or empty set returns at once and leaves a shared block shared.
    void TrimLeft(char const* set);
    void TrimRight();
    void TrimRight(char ch);
    void TrimRight(char const* set);
    // Removes every `ch` (zero bytes included); returns the number removed.
    int Remove(char ch);
    // Replaces every `from` by `to`; equal characters return 0 without copying.
    int Replace(char from, char to);
    // Replaces every non-overlapping `from` by `to` (null `to`: by nothing); counts first and
    // allocates at most once; returns the number of replacements.
    int Replace(char const* from, char const* to);
    // Deletes `count` characters at `index`; returns the length before the call.
    int Delete(int index, int count = 1);
    // Inserts at `index` (clamped into [0, length]); returns the new length.
    int Insert(int index, char ch);
    // As above; an empty or null `text` returns the length at once. `text` must not point into
    // this string.
    int Insert(int index, char const* text);
    // Stores `ch` at `index` (0 <= index < length); a zero creates an embedded zero byte.
    void SetAt(int index, char ch);
    void MakeReverse();
    void MakeLower();
    void MakeUpper();

    // Formatting ------------------------------------------------------------------------------
    // Replaces the text with printf-style output. The buffer is reserved once from an estimate
    // of the output length made from the format and the arguments; output longer than the
    // estimate is cut to it.
    void Format(char const* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(char const* format, va_list arguments) __attribute__((format(printf, 2, 0)));

    // Length of a C string; 0 for a null pointer.
    static int SafeStrlen(char const* text);

    // Header of this string's block (the sentinel's header for an empty string).
    CPortableStringData* GetData() const {
        return reinterpret_cast<CPortableStringData*>(m_pchBuffer) - 1;
    }

protected:
    // Building blocks shared by the members above. Lengths are int; none validates arguments.
    void Init();
    void AllocBuffer(int length);
    static void FreeData(CPortableStringData* data);
    void Release();
    static void Release(CPortableStringData* data);
    void CopyBeforeWrite();
    void AllocBeforeWrite(int length);
    void AssignCopy(int length, char const* source);
    void AllocCopy(CPortableString& dest, int copyLength, int copyIndex, int extraLength) const;
    void ConcatCopy(int length1, char const* source1, int length2, char const* source2);
    void ConcatInPlace(int length, char const* source);

    char* m_pchBuffer;  // first character of the block; never null
};

// Concatenations: a new string holding the left operand's characters followed by the right
// operand's (a string contributes its length, zero bytes included; a C string its strlen; a
// char exactly one character). Neither operand changes; an empty result owns no block.
VELQON_API CPortableString operator+(CPortableString const& left, CPortableString const& right);
VELQON_API CPortableString operator+(CPortableString const& left, char const* right);
VELQON_API CPortableString operator+(char const* left, CPortableString const& right);
VELQON_API CPortableString operator+(CPortableString const& left, char right);
VELQON_API CPortableString operator+(char left, CPortableString const& right);

// True when Compare(text) yields 0. The only equality operator.
VELQON_API bool operator==(CPortableString const& left, char const* right);

// The empty string: _portablePchNil viewed as a string object.
VELQON_API CPortableString const& PortableGetEmptyString();
// Always 1, for every argument including null.
VELQON_API int PortableIsValidString(char const* text);

// ---------------------------------------------------------------------------------------------
// Time values
// ---------------------------------------------------------------------------------------------

// ---------------------------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------------------------

// ---------------------------------------------------------------------------------------------
// Directory search
// ---------------------------------------------------------------------------------------------

#undef VELQON_API
#endif  // VELQON_MFC_H
