// VelqonMFC.h - strings, interlocked counters, files, directory search and time values.
//
// Thread-safety: the interlocked counters may be called from any thread. Every other class in
// this header takes no lock: one object is used by one thread at a time. Distinct string objects
// that share one character block may be copied, assigned, modified and destroyed on different
// threads: the block's reference count only changes through the interlocked counters, the
// copy-on-write decision reads it atomically, and a private copy is taken before the shared
// block is given up.
// One process-wide effect: CPortableFileFind::FindFile installs the environment's locale with
// setlocale(LC_ALL, "") on every call. setlocale is not thread-safe: a FindFile racing with any
// other thread that reads or sets the locale (printf-family and strftime conversions, ctype,
// strcoll, another FindFile) is a data race. Call FindFile only while no other thread uses the
// locale.
#ifndef VELQON_MFC_H
#define VELQON_MFC_H

#include <dirent.h>
#include <errno.h>
#include <regex.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/types.h>
#include <time.h>

#include <vector>

#define VELQON_API __attribute__((visibility("default")))

// ---------------------------------------------------------------------------------------------
// Checked build
// ---------------------------------------------------------------------------------------------
// A library configured with the CMake option VELQON_CHECKED stops the process on caller errors
// that the members leave undefined and that are cheap to detect (indexes outside an array or a
// string, counts running past the end, negative sizes, empty lists, null positions, bad or
// closed event handles, a collection passed to its own bulk insertion). It writes one line,
// "velqon: <function>: <what was wrong>", to standard error and calls abort(). Its CMake target
// defines VELQON_CHECKED for every unit compiled against it, so that the inline accessors of
// these headers check as well; they call VelqonCheckFailed (below), which only a checked library
// exports. Documented behaviour for out-of-range arguments (clamped indexes, ignored stores) is
// kept in both builds. Without VELQON_CHECKED the headers and the library check nothing.
//
// VELQON_INLINE_CHECK(condition, format, ...) is that check. In a checked build a false
// `condition` calls VelqonCheckFailed with the printf-style message, which writes it as
// "velqon: <message>" to standard error and aborts. In any other build it evaluates nothing: the
// condition and the message are named only inside sizeof, so the code is exactly what it would be
// without the check, and a value that only a check uses still counts as used. It is the one
// definition of the check: VelqonMfcContainers.h and the library's own sources use it too, so it
// stays defined after this header.
#ifdef VELQON_CHECKED
// Reports a failed check and aborts. Only a checked library defines and exports it.
VELQON_API void VelqonCheckFailed(char const* format, ...)
    __attribute__((noreturn, format(printf, 1, 2)));
#define VELQON_INLINE_CHECK(condition, ...) \
    ((condition) ? static_cast<void>(0) : VelqonCheckFailed(__VA_ARGS__))
#else
#define VELQON_INLINE_CHECK(condition, ...) \
    static_cast<void>(sizeof((condition) ? 0 : ((__VA_ARGS__), 0)))
#endif

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
    // surrogate becomes '?', and a null pointer gives the empty string. Converting, rather than
    // stopping the process or refusing the call, gives code that passes wide text working text.
    // The block is exactly as long as the UTF-8 text.
    CPortableString(unsigned short const* wide, int length);
    // Releases the block (freed when this was its last holder).
    ~CPortableString();

    // Shares the source's block, unless either side is locked: then the characters are copied
    // (by length, zero bytes kept). Self-assignment changes nothing.
    CPortableString& operator=(CPortableString const& source);
    // Copies the C string (null gives the empty string); an unshared block that is large enough
    // is reused, so assignment never shrinks capacity. `text` may point into this string.
    CPortableString& operator=(char const* text);
    // The one-character string `ch`; a zero character is kept and counted.
    CPortableString& operator=(char ch);

    // Appends; grows to exactly the combined length when there is no room or the block is
    // shared (so repeated appends allocate and copy every time), appends in place when an
    // unshared or locked block has room. Appending a string to itself (or a part of itself) is
    // allowed. On allocation failure the string is unchanged.
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
    // strcasecmp with `text` (must not be null): as Compare, letters compared without regard to
    // case as the current locale classifies them. Inline.
    int CompareNoCase(char const* text) const { return strcasecmp(m_pchBuffer, text); }
    // The characters as a C string, the same pointer as the conversion to char const*. Inline.
    char const* GetString() const { return m_pchBuffer; }

    // Convenience accessors, inline over the block header.
    // Number of characters (embedded zero bytes included).
    int GetLength() const { return GetData()->nLength; }
    // 1 when the length is 0.
    int IsEmpty() const { return GetData()->nLength == 0; }
    // Character at `index` (0 <= index < GetLength()).
    char GetAt(int index) const {
        VELQON_INLINE_CHECK(index >= 0 && index < GetLength(),
                            "CPortableString::GetAt: index %d outside [0, %d)", index, GetLength());
        return m_pchBuffer[index];
    }
    char operator[](int index) const {
        VELQON_INLINE_CHECK(index >= 0 && index < GetLength(),
                            "CPortableString::operator[]: index %d outside [0, %d)", index,
                            GetLength());
        return m_pchBuffer[index];
    }

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
    // the end, then a first index past the end gives the empty string. Every int clamps as an
    // unbounded integer would: Mid(2, INT_MAX) is the text from index 2 on.
    CPortableString Mid(int first, int count) const;
    // Mid(first, length - first), computed from the unclamped `first` without overflow, so
    // Mid(INT_MIN) is the whole string.
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
    // A null or empty set returns at once and leaves a shared block shared. The set may point
    // into this string (it is read before the string changes), as for TrimRight.
    void TrimLeft(char const* set);
    // Cuts a trailing run of white space, of `ch`, or of characters of `set` (null or empty:
    // nothing) that reaches the end of the C string, so the text also ends at an embedded zero
    // byte when such a run precedes it.
    void TrimRight();
    void TrimRight(char ch);
    void TrimRight(char const* set);
    // Trims both ends: TrimRight, then TrimLeft, with the same argument; returns *this. Inline.
    CPortableString& Trim() {
        TrimRight();
        TrimLeft();
        return *this;
    }
    CPortableString& Trim(char ch) {
        TrimRight(ch);
        TrimLeft(ch);
        return *this;
    }
    // A set taken from this string's own text would be cut by the first trim, so it is copied
    // first; any other set is used as it is.
    CPortableString& Trim(char const* set) {
        uintptr_t const offset =
            reinterpret_cast<uintptr_t>(set) - reinterpret_cast<uintptr_t>(m_pchBuffer);
        if (set != nullptr && GetLength() > 0 && offset <= static_cast<uintptr_t>(GetLength())) {
            CPortableString const copy(set);
            TrimRight(copy);
            TrimLeft(copy);
        } else {
            TrimRight(set);
            TrimLeft(set);
        }
        return *this;
    }
    // Appends one character, as operator+=(ch) does (a zero character is appended and counted).
    // Inline.
    void AppendChar(char ch) { *this += ch; }
    // The next token at or after index `start`: characters of `delimiters` are skipped, and the
    // token runs up to the next one or to the end. `start` then moves just past the delimiter
    // that ended the token (to GetLength() + 1 when the end did), so repeated calls walk the
    // tokens. When no token is left, or `start` is negative or past the end, the result is empty
    // and `start` becomes -1. Zero bytes are never delimiters; a null or empty `delimiters`
    // makes the rest of the text one token. The token is a new, exactly sized string (the whole
    // text shares this block). Inline.
    CPortableString Tokenize(char const* delimiters, int& start) const {
        int const length = GetLength();
        int first = start;
        if (first >= 0) {
            while (first < length && IsTokenDelimiter(m_pchBuffer[first], delimiters)) {
                ++first;
            }
        }
        if (first < 0 || first >= length) {
            start = -1;
            return CPortableString();
        }
        int end = first;
        while (end < length && !IsTokenDelimiter(m_pchBuffer[end], delimiters)) {
            ++end;
        }
        start = end + 1;
        return Mid(first, end - first);
    }
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
    // `from` and `to` may point into this string: such a text is copied aside first (on the
    // heap when it is 64 characters or longer, one allocation more).
    int Replace(char const* from, char const* to);
    // Deletes `count` characters at `index` (negative index: 0; a range past the end is cut
    // there) and returns the length before the call, not the new one. Nothing at all, not even
    // the copy of a shared block, when no character is in the range.
    int Delete(int index, int count = 1);
    // Inserts at `index` (clamped into [0, length], INT_MIN and INT_MAX included) and returns
    // the new length; a zero `ch` is inserted as a character. A block that is shared or too small
    // is replaced by one of exactly the new length (no spare capacity), in one allocation: if
    // it fails, a shared block is given up (the string is left empty), an unshared one is kept.
    int Insert(int index, char ch);
    // As above; an empty or null `text` returns the length at once. `text` may point into this
    // string's text: the text as it was before the call is inserted.
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
    // to it. As the estimate sets the cut, its rules stay exact, quirks included:
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
    // The format and the "s" arguments may point into this string itself: the output is made
    // from the old text, which stays until the output is written. When the block is reused such
    // a call writes through scratch storage first (on the heap for an estimate over 255, one
    // allocation more) and ends in the same block, locked or not.
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
    // Whether `ch` ends a token of Tokenize.
    static bool IsTokenDelimiter(char ch, char const* delimiters) {
        return ch != '\0' && delimiters != nullptr && strchr(delimiters, ch) != nullptr;
    }

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

// True when Compare(text) yields 0.
VELQON_API bool operator==(CPortableString const& left, char const* right);

// Every other comparison of two strings, or of a string and a C string in either order, inline:
// the texts compare as Compare does (strcmp: unsigned bytes, up to the first zero byte), never
// the addresses the conversion to char const* would give. A C string operand must not be null.
inline bool operator==(CPortableString const& left, CPortableString const& right) {
    return left.Compare(right) == 0;
}
inline bool operator==(char const* left, CPortableString const& right) {
    return right.Compare(left) == 0;
}
inline bool operator!=(CPortableString const& left, CPortableString const& right) {
    return left.Compare(right) != 0;
}
inline bool operator!=(CPortableString const& left, char const* right) {
    return left.Compare(right) != 0;
}
inline bool operator!=(char const* left, CPortableString const& right) {
    return right.Compare(left) != 0;
}
inline bool operator<(CPortableString const& left, CPortableString const& right) {
    return left.Compare(right) < 0;
}
inline bool operator<(CPortableString const& left, char const* right) {
    return left.Compare(right) < 0;
}
inline bool operator<(char const* left, CPortableString const& right) {
    return right.Compare(left) > 0;
}
inline bool operator>(CPortableString const& left, CPortableString const& right) {
    return left.Compare(right) > 0;
}
inline bool operator>(CPortableString const& left, char const* right) {
    return left.Compare(right) > 0;
}
inline bool operator>(char const* left, CPortableString const& right) {
    return right.Compare(left) < 0;
}
inline bool operator<=(CPortableString const& left, CPortableString const& right) {
    return left.Compare(right) <= 0;
}
inline bool operator<=(CPortableString const& left, char const* right) {
    return left.Compare(right) <= 0;
}
inline bool operator<=(char const* left, CPortableString const& right) {
    return right.Compare(left) >= 0;
}
inline bool operator>=(CPortableString const& left, CPortableString const& right) {
    return left.Compare(right) >= 0;
}
inline bool operator>=(CPortableString const& left, char const* right) {
    return left.Compare(right) >= 0;
}
inline bool operator>=(char const* left, CPortableString const& right) {
    return right.Compare(left) <= 0;
}

// The empty string: _portablePchNil viewed as a string object.
VELQON_API CPortableString const& PortableGetEmptyString();
// Always 1, for every argument including null.
VELQON_API int PortableIsValidString(char const* text);

// ---------------------------------------------------------------------------------------------
// Time values
// ---------------------------------------------------------------------------------------------

// A calendar instant: seconds since 1970-01-01 00:00:00 UTC.
//
// Fixed shape: exactly one data member (m_tTime, a 64-bit time_t), no base class, no virtual
// function; file status records embed three of these.
//
// Values are copied freely; no member allocates except Format/FormatGmt, which may throw
// std::bad_alloc while building the string they return (the time itself is unchanged). Conversions
// go through the C library and so depend on TZ.
class VELQON_API CPortableTime {
public:
    // Leaves the value unset: assign before reading.
    CPortableTime();
    CPortableTime(CPortableTime const& source);
    CPortableTime& operator=(CPortableTime const& source) = default;
    // The given count of seconds since the epoch.
    CPortableTime(long seconds);
    // Replaces the value by `seconds`; returns *this.
    CPortableTime& operator=(long seconds);
    // Local calendar fields (year such as 2024, month 1-12, day 1-31, hour, minute, second) and
    // a daylight-saving flag (negative: let the C library decide, 0: standard, positive: summer
    // time), converted with mktime. Nothing is validated: out-of-range fields are normalised
    // (month 13 is January of the next year, day 0 the last day of the month before); -1 when
    // the C library cannot convert them. The flag defaults to -1.
    CPortableTime(int year, int month, int day, int hour, int minute, int second, int isDst = -1);
    // From a broken-down date record such as the SYSTEMTIME of velqontools.h (any record with the
    // fields wYear, wMonth, wDay, wHour, wMinute, wSecond and wMilliseconds): the calendar
    // constructor above with those fields read as local time; the milliseconds are dropped.
    // Inline.
    template <class SystemTime, class = decltype(SystemTime::wMilliseconds)>
    CPortableTime(SystemTime const& time, int isDst = -1)
        : CPortableTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                        isDst) {}
    // An MS-DOS (FAT) date word (day bits 0-4, month bits 5-8, year-1980 bits 9-15) and time word
    // (seconds/2 bits 0-4, minutes bits 5-10, hours bits 11-15), read as local time with the
    // given daylight-saving flag. Not validated: seconds fields 30 and 31 give 60 and 62 seconds
    // and month 0 gives December of the year before, as mktime normalises them.
    CPortableTime(unsigned short dosDate, unsigned short dosTime, int isDst);

    // The current time, from time().
    static CPortableTime GetCurrentTime();

    // The value broken down in UTC. With a null argument: the C library's own static record
    // (gmtime), overwritten by the next such conversion in any thread. Otherwise every field is
    // written into *result (reentrant conversion, the shared record is left alone) and `result`
    // is returned. Null when the value cannot be converted.
    struct tm* GetGmtTm(struct tm* result) const;
    // As GetGmtTm, in local time (localtime / localtime_r).
    struct tm* GetLocalTm(struct tm* result) const;

    // strftime of the value in local time, in a buffer of 128 bytes. Empty when the value cannot
    // be converted or when strftime yields nothing (an empty expansion, or one longer than 127
    // characters: the text is never cut).
    CPortableString Format(char const* format) const;
    // As Format, in UTC.
    CPortableString FormatGmt(char const* format) const;

    // Convenience, inline: the raw value.
    time_t GetTime() const { return m_tTime; }
    // The value's local calendar fields, through GetLocalTm: the year (such as 2024), month 1-12,
    // day 1-31, hour 0-23, minute 0-59, second 0-60, and the day of the week from 1 (Sunday) to
    // 7 (Saturday). A value the C library cannot convert gives the fields of a zeroed record
    // (year 1900, month 1, day 0, day of week 1). Inline.
    int GetYear() const { return LocalFields().tm_year + 1900; }
    int GetMonth() const { return LocalFields().tm_mon + 1; }
    int GetDay() const { return LocalFields().tm_mday; }
    int GetHour() const { return LocalFields().tm_hour; }
    int GetMinute() const { return LocalFields().tm_min; }
    int GetSecond() const { return LocalFields().tm_sec; }
    int GetDayOfWeek() const { return LocalFields().tm_wday + 1; }

protected:
    struct tm LocalFields() const {
        struct tm fields = {};
        GetLocalTm(&fields);
        return fields;
    }

    time_t m_tTime;  // seconds since the epoch; -1 after a failed conversion
};

// A signed duration in seconds. Divisions truncate toward zero, so every part of a negative
// span is zero or negative.
//
// Fixed shape: exactly one data member (m_tSpan, a 64-bit time_t), no base class, no virtual
// function.
class VELQON_API CPortableTimeSpan {
public:
    // Leaves the value unset: assign before reading.
    CPortableTimeSpan();
    // Convenience, inline: a span of `seconds`.
    explicit CPortableTimeSpan(time_t seconds) : m_tSpan(seconds) {}
    // Convenience, inline: a span of the sum of `days`, `hours`, `minutes` and `seconds`, each of
    // which may be negative or beyond its usual range.
    CPortableTimeSpan(long days, int hours, int minutes, int seconds)
        : m_tSpan(((static_cast<time_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

    // The whole value (64 bits).
    long GetTotalSeconds() const;
    // Value / 60, Value / 3600 and Value / 86400, each kept to its low 32 bits.
    int GetTotalMinutes() const;
    int GetTotalHours() const;
    int GetDays() const;
    // Hours within the day (-23..23), minutes within the hour and seconds within the minute
    // (-59..59). Computed from the 32-bit totals above with wrapping arithmetic, which keeps
    // them exact for any value.
    int GetHours() const;
    int GetMinutes() const;
    int GetSeconds() const;

    // Expands `format`: "%D" days ("%d"), "%H" hours, "%M" minutes, "%S" seconds (each "%02d",
    // sign included, so -90 s with "%M:%S" gives "-1:-30"); "%" before any other character
    // gives that character ("%%" is "%"). Other characters are copied. The result grows to
    // whatever length the format produces (no 127-character limit), and a lone "%" at the end
    // of the format is dropped.
    CPortableString Format(char const* format) const;

protected:
    time_t m_tSpan;  // seconds; may be negative
};

// Convenience arithmetic between times and spans, inline (a span is a count of seconds).
inline CPortableTimeSpan operator-(CPortableTime const& later, CPortableTime const& earlier) {
    return CPortableTimeSpan(later.GetTime() - earlier.GetTime());
}
inline CPortableTime operator+(CPortableTime const& time, CPortableTimeSpan const& span) {
    return CPortableTime(time.GetTime() + span.GetTotalSeconds());
}
inline CPortableTime operator-(CPortableTime const& time, CPortableTimeSpan const& span) {
    return CPortableTime(time.GetTime() - span.GetTotalSeconds());
}

// Comparisons of times (earlier is less) and of spans (shorter is less), inline.
inline bool operator==(CPortableTime const& left, CPortableTime const& right) {
    return left.GetTime() == right.GetTime();
}
inline bool operator!=(CPortableTime const& left, CPortableTime const& right) {
    return left.GetTime() != right.GetTime();
}
inline bool operator<(CPortableTime const& left, CPortableTime const& right) {
    return left.GetTime() < right.GetTime();
}
inline bool operator>(CPortableTime const& left, CPortableTime const& right) {
    return left.GetTime() > right.GetTime();
}
inline bool operator<=(CPortableTime const& left, CPortableTime const& right) {
    return left.GetTime() <= right.GetTime();
}
inline bool operator>=(CPortableTime const& left, CPortableTime const& right) {
    return left.GetTime() >= right.GetTime();
}
inline bool operator==(CPortableTimeSpan const& left, CPortableTimeSpan const& right) {
    return left.GetTotalSeconds() == right.GetTotalSeconds();
}
inline bool operator!=(CPortableTimeSpan const& left, CPortableTimeSpan const& right) {
    return left.GetTotalSeconds() != right.GetTotalSeconds();
}
inline bool operator<(CPortableTimeSpan const& left, CPortableTimeSpan const& right) {
    return left.GetTotalSeconds() < right.GetTotalSeconds();
}
inline bool operator>(CPortableTimeSpan const& left, CPortableTimeSpan const& right) {
    return left.GetTotalSeconds() > right.GetTotalSeconds();
}
inline bool operator<=(CPortableTimeSpan const& left, CPortableTimeSpan const& right) {
    return left.GetTotalSeconds() <= right.GetTotalSeconds();
}
inline bool operator>=(CPortableTimeSpan const& left, CPortableTimeSpan const& right) {
    return left.GetTotalSeconds() >= right.GetTotalSeconds();
}

// ---------------------------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------------------------
//
// The open-flag word of CPortableFile::Open and CPortableStdioFile::Open:
//   access (mask 0x3):  0x0 read-only, 0x1 write-only, 0x2 read-write, 0x3 read-only
//   share  (mask 0x70): locks nothing; chooses the permissions of a newly created file before
//                       the umask: 0x30/0x40 give 0666, 0x20 gives 0444, anything else 0600
//   0x1000 create:      O_CREAT, plus O_TRUNC unless 0x2000 is also set
//   0x2000 keep:        no truncation; alone (without 0x1000) it does nothing
// Every other bit is ignored. No other open flag is ever passed (no O_EXCL, no O_APPEND).

// Status of a path, filled by CPortableFile::GetStatus.
//
// Fixed shape: three times, a 32-bit size, an attribute byte, a reserved byte and a 260-character
// name, in this order.
struct CPortableFileStatus {
    CPortableTime m_ctime;      // status change (st_ctime)
    CPortableTime m_mtime;      // last modification (st_mtime)
    CPortableTime m_atime;      // last access (st_atime)
    unsigned int m_size;        // low 32 bits of the size in bytes
    unsigned char m_attribute;  // always 0
    unsigned char _m_padding;   // reserved, never written
    char m_szFullName[260];     // the path as given (not made absolute), cut to 259 characters
};

// Base of the exceptions that Windows-style code throws and catches by pointer (CException in
// VelqonWin32.h). Header-only: the library neither makes nor reads one.
class CPortableException {
public:
    virtual ~CPortableException() {}

    // Deletes an exception thrown by pointer (m_bAutoDelete set by its thrower); does nothing
    // for one that lives elsewhere.
    void Delete() {
        if (m_bAutoDelete) {
            delete this;
        }
    }
    // Writes a description, cut to fit and terminated, into `text` of `size` bytes; returns 1,
    // or 0 when there is nothing to describe. `helpContext` (when not null) receives 0.
    virtual int GetErrorMessage(char* text, unsigned int size,
                                unsigned int* helpContext = nullptr) const {
        return Describe(text, size, helpContext, "unknown error");
    }
    // Writes the description and a line feed to standard error; returns 0. The two arguments
    // (a message-box style and a message identifier elsewhere) are not used.
    int ReportError(unsigned int type = 0, unsigned int messageId = 0) const {
        static_cast<void>(type);
        static_cast<void>(messageId);
        char text[512];
        if (GetErrorMessage(text, sizeof text)) {
            fprintf(stderr, "%s\n", text);
        }
        return 0;
    }

    int m_bAutoDelete;  // non-zero: Delete() frees the object

protected:
    CPortableException() : m_bAutoDelete(0) {}
    static int Describe(char* text, unsigned int size, unsigned int* helpContext,
                        char const* description) {
        if (helpContext != nullptr) {
            *helpContext = 0;
        }
        if (text == nullptr || size == 0) {
            return 0;
        }
        snprintf(text, size, "%s", description);
        return 1;
    }
};

// A failed file operation. The library's own members never fill one: a failed open given an
// exception pointer throws the integer 0, so callers of the library catch `int`. The fields, the
// causes and the members below serve Windows-style code (CFileException in VelqonWin32.h, whose
// file classes fill it and throw it by pointer). Header-only; nothing of it is exported.
class CPortableFileException : public CPortableException {
public:
    // Causes, in their Windows order.
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CPortableFileException(int cause = none, long osError = -1,
                                    char const* fileName = nullptr)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    // Throws `cause` as an int; never returns. Static, so calling it through a null pointer (as
    // the three-argument CPortableFile constructor does) touches no object.
    [[noreturn]] static void Throw(int cause) { throw cause; }

    // The cause for an errno value; genericException for any value without a closer cause.
    static int OsErrorToException(long osError) {
        switch (osError) {
            case 0:
                return none;
            case ENOENT:
                return fileNotFound;
            case ENOTDIR:
            case ENAMETOOLONG:
            case ELOOP:
                return badPath;
            case EMFILE:
            case ENFILE:
                return tooManyOpenFiles;
            case EACCES:
            case EPERM:
            case EROFS:
            case EISDIR:
            case EEXIST:
                return accessDenied;
            case EBADF:
                return invalidFile;
            case EBUSY:
            case ETXTBSY:
                return sharingViolation;
            case ENOSPC:
            case EDQUOT:
                return diskFull;
            case EIO:
                return hardIO;
            case ESPIPE:
            case EOVERFLOW:
                return badSeek;
            default:
                return genericException;
        }
    }

    // "<file name>: <system error text>" (the name left out when empty, the text being that of
    // m_lOsError); 0 for the cause `none`.
    int GetErrorMessage(char* text, unsigned int size,
                        unsigned int* helpContext = nullptr) const override {
        if (m_cause == none) {
            Describe(text, size, helpContext, "");
            return 0;
        }
        char reason[256];
        char const* const errorText =
            m_lOsError > 0
                ? ErrorText(strerror_r(static_cast<int>(m_lOsError), reason, sizeof reason), reason)
                : "file error";
        char description[1024];
        snprintf(description, sizeof description, "%s%s%s", static_cast<char const*>(m_strFileName),
                 m_strFileName.IsEmpty() ? "" : ": ", errorText);
        return Describe(text, size, helpContext, description);
    }

    int m_cause;                    // one of the causes above
    long m_lOsError;                // the errno value, -1 when there is none
    CPortableString m_strFileName;  // the path the operation was given

private:
    // strerror_r comes as the XSI function (an int result, the text in the buffer) or the GNU
    // one (the text as its result), depending on the feature macros of the unit.
    static char const* ErrorText(int, char const* buffer) { return buffer; }
    static char const* ErrorText(char const* text, char const*) { return text; }
};

// A file open on one POSIX descriptor; reads, writes and seeks go straight to the descriptor.
//
// Fixed shape: vtable pointer, then m_hFile, m_bCloseOnDelete and m_strFileName. Virtual slots in
// this order: GetPosition, Open(2), Open(3), Seek, GetLength, Read, Write, Abort, Close,
// destructor; CPortableStdioFile appends three more.
//
// Not copyable (the descriptor has one owner). No member takes a lock: one object is used by one
// thread at a time. Operations on a closed object pass -1 to the system call and fail as it does.
class VELQON_API CPortableFile {
public:
    // The flag word's values and Seek's origins under their Windows names, for instance
    // CPortableFile::modeCreate | CPortableFile::modeWrite. The share values only choose the
    // permissions of a created file (above): shareDenyWrite gives a read-only file here. Bits
    // this class ignores (modeNoInherit, typeText, typeBinary) are listed for Windows-style code.
    enum OpenFlags : unsigned int {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum SeekPosition : unsigned int { begin = 0, current = 1, end = 2 };

    // Closed: descriptor -1, not owning, empty name.
    CPortableFile();
    // Wraps an open descriptor without owning it: the destructor leaves it open, but Close and
    // Abort do close it.
    explicit CPortableFile(int descriptor);
    // Opens through Open(path, flags); a failure leaves a closed object holding the name and
    // throws nothing.
    CPortableFile(char const* path, unsigned int flags);
    // Opens the same way; on failure throws the integer 0, whether or not `exception` is null.
    CPortableFile(char const* path, unsigned int flags, CPortableFileException* exception);
    // Closes the descriptor (with this class's own Close) when it is open and owned.
    virtual ~CPortableFile();

    // Position from the start, from lseek(fd, 0, SEEK_CUR); -1 on error.
    virtual long GetPosition() const;
    // Open(path, flags, nullptr) through the virtual call.
    virtual int Open(char const* path, unsigned int flags);
    // Opens `path` with the flag word (see above): 1 on success, the object then owns the
    // descriptor. On failure returns 0, or throws the integer 0 when `exception` is not null;
    // the name keeps the path and errno is as open() left it. A descriptor already held is not
    // closed first: close before reopening. The name is stored before the open: if that throws
    // std::bad_alloc, the object is closed and nothing was opened.
    virtual int Open(char const* path, unsigned int flags, CPortableFileException* exception);
    // lseek with `offset` widened with its sign and origin 0 (start), 1 (current) or 2 (end);
    // returns the new offset from the start, or -1.
    virtual long Seek(int offset, unsigned int origin);
    // The length through the virtual Seek, cut to 32 bits; the position is restored (itself
    // taken as a 32-bit value, as Seek's offset is an int).
    virtual unsigned int GetLength() const;
    // One read(); 0 without a call for a count of 0. Bytes read, 0 at end of file, -1 on error.
    virtual long Read(void* buffer, unsigned int count);
    // One write() (none for a count of 0); a short or failed write is neither reported nor
    // retried.
    virtual void Write(void const* buffer, unsigned int count);
    // Closes an open descriptor, sets it to -1 and empties the name; leaves the ownership flag
    // as it was. Errors are ignored.
    virtual void Abort();
    // Closes an open descriptor (result ignored); then descriptor -1, not owning, empty name.
    virtual void Close();

    // Seek(0, 0) and Seek(0, 2) through the virtual Seek, so they act on a stream file's stream.
    void SeekToBegin();
    long SeekToEnd();

    // Fills `status` from stat(path) and returns 1; returns 0 and leaves `status` untouched when
    // stat fails. The name is the path as given, cut to 259 characters and terminated.
    static int GetStatus(char const* path, CPortableFileStatus& status);
    // Accepted so that code setting file times and attributes builds and runs; does nothing and
    // changes nothing on disk.
    static void SetStatus(char const* path, CPortableFileStatus const& status);

    int m_hFile;                    // descriptor, -1 when closed
    int m_bCloseOnDelete;           // non-zero when this object opened the descriptor
    CPortableString m_strFileName;  // path given to the last Open, kept when that Open failed

    CPortableFile(CPortableFile const&) = delete;
    CPortableFile& operator=(CPortableFile const&) = delete;
};

// A buffered, line-oriented file: opens the descriptor as CPortableFile does, then wraps it in a
// C stream with fdopen; all reading, writing and positioning then go through the stream.
//
// Fixed shape: the CPortableFile fields, then m_pStream. Virtual slots: those of CPortableFile
// (GetPosition, Open(2), Seek, Read, Write, Abort, Close and the destructor overridden; Open(3)
// and GetLength inherited), then WriteString, ReadString(char*, unsigned), ReadString(string).
//
// Stream mode, from the flag word (the descriptor open has already created or truncated):
//   0x1000 and 0x2000: "a" if bit 0x1 is set, else "a+"
//   0x1000 only:       "w" if bit 0x1 is set, else "w+"
//   no 0x1000:         "a" if bit 0x1 is set, else "r+" if bit 0x2 is set, else "r"
// So a write-only open of an existing file appends, and access value 0x3 with 0x1000|0x2000
// (a read-only descriptor asked for "a") fails in fdopen.
//
// Without a stream (never opened, closed, or opened by the inherited three-argument Open, which
// opens only the descriptor) the reading, writing and positioning members refuse the call:
// Read returns 0, Write and WriteString write nothing, ReadString returns null or 0 (with the
// line emptied), Seek and GetPosition return -1. The checked build stops there instead, with a
// message saying how to open the stream.
class VELQON_API CPortableStdioFile : public CPortableFile {
public:
    // Closed, no stream.
    CPortableStdioFile();
    // Opens with this class's Open; a failure leaves a closed object and throws nothing.
    CPortableStdioFile(char const* path, unsigned int flags);
    // Closes the stream (this class's own Close) when it is open and owned.
    ~CPortableStdioFile() override;

    // ftell of the stream.
    long GetPosition() const override;
    // Opens the descriptor (flags with bit 0x4000 cleared) and wraps it with fdopen in the mode
    // above: 1 on success. 0 when either step fails; after an fdopen failure the descriptor is
    // closed and the name emptied (the ownership flag stays set, the stream null).
    int Open(char const* path, unsigned int flags) override;
    // The three-argument Open is inherited as is: on a stream file it opens only the descriptor
    // and leaves the stream null.
    using CPortableFile::Open;
    // fseek (result ignored), then returns ftell: the position after the attempt.
    long Seek(int offset, unsigned int origin) override;
    // fread of `count` bytes; 0 without a call for a count of 0. Clears the stream's error
    // indicator after a failed read; returns the bytes read.
    long Read(void* buffer, unsigned int count) override;
    // fwrite of `count` bytes; a short write is not reported.
    void Write(void const* buffer, unsigned int count) override;
    // fclose of the stream when it is open and owned; then descriptor -1, stream null, not
    // owning. Keeps the name. Errors are ignored. A descriptor without a stream (from the
    // inherited three-argument Open) is closed with close when owned.
    void Abort() override;
    // fclose of the stream when it is open, owned or not; then descriptor -1, stream null, not
    // owning. Keeps the name. A descriptor without a stream (from the inherited three-argument
    // Open) is closed with close, as CPortableFile::Close would.
    void Close() override;

    // fputs of `text`: no terminator, no added line end.
    virtual void WriteString(char const* text);
    // fgets into `buffer` of `size` bytes, line feed kept. Returns `buffer`, or null at end of
    // file or on error (the error indicator is then cleared).
    virtual char* ReadString(char* buffer, unsigned int size);
    // Reads one whole line of any length into `line`, without its line feed (a carriage return
    // before it is kept). `line` is emptied (Empty), the line is read in chunks of at most 127
    // characters, and their text is appended to `line` in one append, as operator+= appends:
    // into an unshared or locked block that has room, otherwise into a new block of exactly the
    // line's length. Returns 1 when a line ended (in a line feed, or short of a full chunk) and
    // 0 when a read failed: at end of file `line` then holds whatever was read before it, so a
    // last line of exactly 127 characters with no line end comes back with 0. A zero byte in
    // the file ends the text taken from its chunk; the rest of that chunk is dropped. Time and
    // work grow linearly with the line's length. If an allocation throws std::bad_alloc (the
    // line's block, or heap room while gathering a line of more than 4064 characters), `line`
    // is left empty, the text read by the call is lost, and the stream stands after the last
    // chunk read.
    virtual int ReadString(CPortableString& line);

    FILE* m_pStream;  // null when no stream is open
};

// ---------------------------------------------------------------------------------------------
// Directory search
// ---------------------------------------------------------------------------------------------

// Walks one directory and returns, one by one, the bare names of its entries that match a shell
// wildcard pattern (fnmatch with FNM_PATHNAME | FNM_PERIOD: a leading period is matched only by a
// literal one, and a pattern holding a slash matches nothing). The first entry the directory
// stream delivers is always skipped, matching or not.
//
// Fixed shape: directory, current name and pattern (1024 characters each), directory stream,
// compiled-expression pointer, in this order; no base class, no virtual function.
//
// Two safeguards: the destructor closes a search that is still open (no descriptor leak), and
// copying is refused because a copy would share the open directory stream.
class VELQON_API CPortableFileFind {
public:
    // Searches the working directory as getcwd reports it now (empty when getcwd fails, so
    // every search then finds nothing).
    CPortableFileFind();
    // Searches `directory` (at most 1023 characters kept; a relative path is resolved when
    // FindFile runs). A null pointer behaves as the default constructor: the working directory.
    CPortableFileFind(char const* directory);
    // Closes a search that is still open.
    ~CPortableFileFind();

    // Starts a search: 1 with the first matching name as the current name, 0 when there is none
    // (the search is then closed). Sets the process locale from the environment
    // (setlocale(LC_ALL, "")) on every call, which changes how fnmatch treats bracket
    // expressions; this races with every other thread using the locale at that moment (see the
    // thread-safety note at the top). Returns 0 at once, changing nothing, for a null pattern or
    // one of 1024 or more characters. A search still open on this object is closed first.
    int FindFile(char const* pattern);
    // The next matching name: 1 with it as the current name, 0 when the directory is exhausted
    // (the search is then closed). 0 when no search is open.
    int FindNextFile();

    // The bare name of the entry last found ("" before any).
    char const* GetFileName() const;
    // The searched directory (not the path of the entry).
    char const* GetFilePath() const;
    // No title, URL or root is computed: null.
    char const* GetFileTitle() const;
    char const* GetFileURL() const;
    char const* GetRoot() const;
    // No size or time is computed: 0.
    unsigned int GetLength() const;
    time_t GetCreationTime() const;
    time_t GetLastAccessTime() const;
    time_t GetLastWriteTime() const;

    // Ends an open search (closedir) and frees a compiled expression if one is set. Safe to call
    // at any time, also twice.
    void Close();

    char m_szDirectory[1024];  // directory searched, always terminated
    char m_szFileName[1024];   // bare name of the entry last found
    char m_szPattern[1024];    // pattern of the current search
    DIR* m_pDir;               // open directory stream, null when no search is open
    regex_t* m_pRegex;         // owned compiled expression; nothing here sets it

    CPortableFileFind(CPortableFileFind const&) = delete;
    CPortableFileFind& operator=(CPortableFileFind const&) = delete;
};

// Holds a string and a list of strings, both empty after construction; it has no other
// operation. Kept for porting code that declares one.
//
// Fixed shape: a CPortableString, then a std::vector of CPortableString.
class VELQON_API CPortableDirectory {
public:
    // Both members empty; the two arguments are not used.
    CPortableDirectory(CPortableString path, CPortableString pattern);

    CPortableString m_strPath;
    std::vector<CPortableString> m_vecEntries;
};

#undef VELQON_API
#endif  // VELQON_MFC_H
