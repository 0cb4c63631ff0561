// VelqonMFC.h - strings, interlocked counters, files, directory search and time values.
//
// Thread-safety: the interlocked counters may be called from any thread. Every other class in
// this header takes no lock: one object is used by one thread at a time. Distinct string objects
// that share one character block may be copied, assigned, modified and destroyed on different
// threads: the block's reference count only changes through the interlocked counters, the
// copy-on-write decision reads it atomically, and a private copy is taken before the shared
// block is given up.
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

// Pointer to the zero character of the static empty-string sentinel (count -1, length 0,
// capacity 0). A string that owns no block holds exactly this pointer. The sentinel is
// recognised by address; it is never counted, freed or written, so its bytes never change.
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
    // up to the first zero unit, zero units inside `length` become zero bytes, an unpaired
    // surrogate becomes '?', and a null pointer gives the empty string. Legacy builds stopped
    // the process here; porting code that still reaches this call gets working text instead.
    // The block is exactly as long as the UTF-8 text.
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

    // Appends; grows to exactly the combined length when there is no room or the block is
    // shared (so repeated appends allocate and copy every time), appends in place when an
    // unshared or locked block has room. Appending a string to itself is allowed. On allocation
    // failure the string is unchanged.
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

    // The characters as a C string (cut at an embedded zero byte, if any); an empty string
    // yields the sentinel's "". Valid until the string is next modified or destroyed.
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
    // block of max(minCapacity, length) holding the same text and length, exactly that large;
    // other holders keep the old block. Call ReleaseBuffer after writing. On allocation failure
    // the string is unchanged.
    char* GetBuffer(int minCapacity);
    // Ends a GetBuffer: the length becomes `newLength` (-1: up to the first zero byte) and the
    // character there is set to zero. newLength must not exceed the capacity. The capacity is
    // kept (FreeExtra gives spare room back).
    void ReleaseBuffer(int newLength = -1);
    // GetBuffer(newLength), then the length is set to newLength; returns the buffer.
    char* GetBufferSetLength(int newLength);
    // Makes the block private and locks it (count -1): copies then take their own characters
    // and the buffer pointer stays valid until UnlockBuffer or the string dies. Modifications
    // that fit happen in place; one that needs a larger block replaces it with an unlocked one.
    // An empty string on the sentinel stays there, unlocked.
    char* LockBuffer();
    // Sets the count of a locked block to 1 (set, not restored). Call only while locked.
    void UnlockBuffer();
    // Shrinks the block to exactly the length (zero length returns to the sentinel). Sharing
    // is not tested: a shared string simply gets its own exact block. On allocation failure
    // the string is unchanged.
    void FreeExtra();
    // Empties the string: releases the block, empties a locked block in place (it stays
    // locked), and keeps an allocated zero-length block as it is.
    void Empty();

    // Searching (positions are int; -1 when not found) ----------------------------------------
    // First `ch` at or after `start`; -1 when start >= length. Stops at the first zero byte; a
    // zero `ch` finds that byte. A negative start is taken as 0.
    int Find(char ch, int start) const;
    int Find(char ch) const;
    // First occurrence of `text` at or after `start`; start == length is accepted (an empty
    // `text` then yields start); -1 when start > length. A negative start is taken as 0.
    int Find(char const* text, int start) const;
    int Find(char const* text) const;
    // Last `ch` before the first zero byte; a zero `ch` yields the C-string length.
    int ReverseFind(char ch) const;
    // First character that belongs to `set`; -1 for none or an empty set.
    int FindOneOf(char const* set) const;

    // Extraction: a whole-string result shares this block; any other result gets a fresh,
    // exactly sized block ------------------------------------------------------------------
    // Negative counts are taken as 0; a count reaching the end gives the whole string.
    CPortableString Left(int count) const;
    CPortableString Right(int count) const;
    // `count` characters from `first`, clamped in this order: negatives to 0, the count cut at
    // the end, then a first index past the end gives the empty string.
    CPortableString Mid(int first, int count) const;
    // Mid(first, length - first), computed from the unclamped `first`.
    CPortableString Mid(int first) const;
    // Left of the longest prefix made only of (SpanIncluding) or free of (SpanExcluding)
    // characters of `set`; the scan stops at the first zero byte.
    CPortableString SpanIncluding(char const* set) const;
    CPortableString SpanExcluding(char const* set) const;

    // Editing (each copies a shared block before writing unless stated otherwise; after an
    // allocation failure in that copy the string is left empty, on the sentinel) --------------
    // Removes leading white space (isspace, current locale), or the leading run of `ch` (which
    // must not be zero); the rest, embedded zero bytes included, moves to the front. Never
    // allocates except to copy a shared block.
    void TrimLeft();
    void TrimLeft(char ch);
    // A null or empty set returns at once and leaves a shared block shared.
    void TrimLeft(char const* set);
    // Cuts a trailing run of white space, of `ch`, or of characters of `set` (null or empty:
    // nothing) found by one forward scan of the C string, so the text also ends at an embedded
    // zero byte when such a run precedes it.
    void TrimRight();
    void TrimRight(char ch);
    void TrimRight(char const* set);
    // Removes every `ch` (zero bytes included); returns the number removed.
    int Remove(char ch);
    // Replaces every `from` by `to` and returns the count; equal characters return 0 without
    // copying, otherwise the block is made private even when nothing matches.
    int Replace(char from, char to);
    // Replaces every non-overlapping `from` by `to` (null `to`: by nothing) and returns the
    // number of replacements; a null or empty `from` or no hit returns 0 without copying. The
    // search resumes behind each inserted text, so it is never searched again. Counts first,
    // then works in place when the capacity suffices or allocates once, exactly. Every segment
    // after an embedded zero byte is replaced as well, also when the text grows in place.
    int Replace(char const* from, char const* to);
    // Deletes `count` characters at `index` (negative index: 0; a range past the end is cut
    // there) and returns the length before the call, not the new one. Nothing at all, not even
    // the copy of a shared block, when no character is in the range.
    int Delete(int index, int count = 1);
    // Inserts at `index` (clamped into [0, length]) and returns the new length; a zero `ch` is
    // inserted as a character. A block that is too small is replaced by one of exactly the new
    // length (no spare capacity).
    int Insert(int index, char ch);
    // As above; an empty or null `text` returns the length at once. `text` must not point into
    // this string.
    int Insert(int index, char const* text);
    // Stores `ch` at `index`; a zero creates an embedded zero byte without changing the length.
    // An index outside [0, length) is ignored.
    void SetAt(int index, char ch);
    // Reverses the characters by length, embedded zero bytes included.
    void MakeReverse();
    // Change case with _strlwr/_strupr, up to the first zero byte.
    void MakeLower();
    void MakeUpper();

    // Formatting ------------------------------------------------------------------------------
    // Replaces the text with printf-style output (vsnprintf). The buffer is reserved once, with
    // GetBuffer, for an estimate of the output length; output longer than the estimate is cut
    // to it. The estimate keeps the legacy rules, quirks included:
    //  - each literal character adds the length of the rest of the format, itself included, and
    //    "%%" the rest counted from its second "%";
    //  - "#" adds 2; "*" width and precision are read from the arguments;
    //  - one size prefix is read ("I64", "h", "l"; "F", "L", "N" skipped), so in "%lld" the
    //    second "l" ends the conversion and the "d" counts as literal text (output: 1 character);
    //  - items: "c"/"C" 2, "s"/"S" the string length (at least 1, 6 for null), both cut to the
    //    precision and widened to the width; integers and "p" max(32, width + precision); "e",
    //    "g", "G" max(128, width + precision); "f" the exact length of the value printed with
    //    six more decimals; "n" 0; anything else ("E", "a", wide strings, ...) 0 and no argument.
    // A shared string gets a private block (the other holders keep the old text); an unshared
    // block large enough is reused, so the call allocates at most once. Embedded zeros in the
    // output end the text. On allocation failure the string is unchanged.
    void Format(char const* format, ...) __attribute__((format(printf, 2, 3)));
    // As Format, with an argument list. The list is read through copies: the caller still owns
    // it and ends it with va_end.
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
