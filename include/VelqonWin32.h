// VelqonWin32.h - the porting kit: the names Windows-style code uses, over the library.
//
// Opt-in: include it instead of <windows.h>, <afx.h>, <afxcoll.h>, <process.h> and <tchar.h>.
// It includes every other public header of the library and adds, inline and for C++11 and later,
// the Windows types, constants and macros, the class names (CString, CFile, CStdioFile,
// CFileFind, CTime, ...) and the Win32 functions (CreateEvent, WaitForSingleObject, Sleep,
// critical sections, interlocked operations, ...) that such code calls. Nothing here is exported
// from the library or changes the layout of its classes.
//
// Each name keeps its Windows meaning; where the library's own class or function of the same
// role behaves differently, the name here is a class or function of its own with the Windows
// behaviour (CFile, CStdioFile and CFileFind). Names whose Windows meaning cannot be given safely
// are left out, so that code using them stops the compiler instead of misbehaving; the porting
// guide (docs/PORTING.md) lists them with what to write instead. Among them: CloseHandle (it
// cannot tell an event from a thread), waits on thread handles, named events (OpenEvent),
// mutexes and semaphores, SuspendThread/ResumeThread, GetExitCodeThread, GetLastError and the
// "_s" functions of the secure C run-time.
//
// Differences that stay (all in the porting guide): DWORD, LONG and ULONG have 32 bits as on
// Windows, so format them with %u and %d, not %lu and %ld; an auto-reset event's set with no
// thread waiting is lost; the text is 8-bit (TCHAR is char, _T leaves its argument alone).
//
// Thread-safety: as for the classes and functions this header maps to. The critical sections
// and interlocked operations may be used from any thread; file, string and search objects by one
// thread at a time.
#ifndef VELQON_WIN32_H
#define VELQON_WIN32_H

#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <fnmatch.h>
#include <pthread.h>
#include <sched.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include "VelqonMFC.h"
#include "VelqonMfcContainers.h"
#include "VelqonProcInfo.h"
#include "VelqonProcess.h"
#include "VelqonThread.h"
#include "velqontools.h"

// ---------------------------------------------------------------------------------------------
// Base types and constants (the Windows sizes: DWORD, LONG, ULONG and UINT have 32 bits)
// ---------------------------------------------------------------------------------------------
typedef unsigned int DWORD;
typedef unsigned short WORD;
typedef unsigned char BYTE;
typedef int BOOL;
typedef int LONG;
typedef unsigned int ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef short SHORT;
typedef unsigned short USHORT;
typedef long long LONGLONG;
typedef unsigned long long ULONGLONG;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef size_t SIZE_T;
typedef void* HANDLE;
typedef void* LPVOID;
typedef void const* LPCVOID;
typedef char* LPSTR;
typedef char const* LPCSTR;
typedef char TCHAR;
typedef char _TCHAR;
typedef char* LPTSTR;
typedef char const* LPCTSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* LPLONG;
typedef _SYSTEMTIME* LPSYSTEMTIME;
typedef _FILETIME* LPFILETIME;

// A 64-bit value reachable as a whole or as two 32-bit halves, low half first.
typedef union _ULARGE_INTEGER {
    __extension__ struct {
        DWORD LowPart;
        DWORD HighPart;
    };
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER;
typedef union _LARGE_INTEGER {
    __extension__ struct {
        DWORD LowPart;
        LONG HighPart;
    };
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;

// Some C and POSIX headers define TRUE and FALSE as well; either definition serves.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64
#define MAX_PATH 260
#define _MAX_PATH 260
// The invalid event handle of the library, the Windows invalid handle value.
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(~static_cast<uintptr_t>(0)))

// Calling conventions mean nothing on this platform.
#ifndef __stdcall
#define __stdcall
#endif
#ifndef __cdecl
#define __cdecl
#endif
#define WINAPI
#define CALLBACK
#define APIENTRY

#define UNREFERENCED_PARAMETER(parameter) static_cast<void>(parameter)
#define _countof(array) (sizeof(array) / sizeof((array)[0]))
#define ZeroMemory(destination, length) memset((destination), 0, (length))
#define FillMemory(destination, length, fill) memset((destination), (fill), (length))
#define CopyMemory(destination, source, length) memcpy((destination), (source), (length))
#define MoveMemory(destination, source, length) memmove((destination), (source), (length))

// ---------------------------------------------------------------------------------------------
// 8-bit text: TCHAR is char and the generic-text routines are the C library's
// ---------------------------------------------------------------------------------------------
#define _T(text) text
#define TEXT(text) text
#define _tmain main
#define _tprintf printf
#define _ftprintf fprintf
#define _stprintf sprintf
#define _sntprintf snprintf
#define _vtprintf vprintf
#define _vftprintf vfprintf
#define _vstprintf vsprintf
#define _vsntprintf vsnprintf
#define _tscanf scanf
#define _stscanf sscanf
#define _tfopen fopen
#define _fgetts fgets
#define _fputts fputs
#define _tcslen strlen
#define _tcscpy strcpy
#define _tcsncpy strncpy
#define _tcscat strcat
#define _tcsncat strncat
#define _tcscmp strcmp
#define _tcsncmp strncmp
#define _tcsicmp _stricmp
#define _tcsnicmp _strnicmp
#define _tcschr strchr
#define _tcsrchr strrchr
#define _tcsstr strstr
#define _tcstok strtok
#define _tcsdup _strdup
#define _tcstol strtol
#define _tcstoul strtoul
#define _tcstod strtod
#define _ttoi atoi
#define _tstoi atoi
#define _ttol atol
#define _tstof atof
#define _istspace isspace
#define _istdigit isdigit
#define _istalpha isalpha
#define _totupper toupper
#define _totlower tolower

// C-string comparisons of the Windows run-time: byte-wise, without regard to case for the
// letters the current locale knows (so the order of punctuation is the byte order, not the
// "word sort" of Windows' lstrcmpi).
inline int _stricmp(char const* left, char const* right) {
    return strcasecmp(left, right);
}
inline int _strnicmp(char const* left, char const* right, size_t count) {
    return strncasecmp(left, right, count);
}
inline int lstrcmpi(char const* left, char const* right) {
    return strcasecmp(left, right);
}
inline int lstrcmp(char const* left, char const* right) {
    return strcmp(left, right);
}
inline char* _strdup(char const* text) {
    return strdup(text);
}

// ---------------------------------------------------------------------------------------------
// ASSERT, VERIFY, TRACE
// ---------------------------------------------------------------------------------------------
// They check and print in a debug build (_DEBUG defined, as a Windows project's debug
// configuration does) and in units compiled against a checked library (VELQON_CHECKED): a false
// ASSERT or VERIFY writes "<file>:<line>: ASSERT(<expression>) failed" to standard error and
// aborts; TRACE writes its printf-style text to standard error. Otherwise ASSERT and TRACE
// evaluate nothing (their operands are only named, so variables they use count as used) and
// VERIFY evaluates its expression without checking it. Give TRACE and CString::Format a string
// as (LPCTSTR)text or text.GetString(): a CString object passed through "..." is not its text.
namespace velqon_internal {
[[noreturn]] inline void AssertFailed(char const* expression, char const* file, int line) {
    fprintf(stderr, "%s:%d: ASSERT(%s) failed\n", file, line, expression);
    abort();
}
inline void Trace(char const* format, ...) __attribute__((format(printf, 1, 2)));
inline void Trace(char const* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vfprintf(stderr, format, arguments);
    va_end(arguments);
}
// Never defined: named only in unevaluated operands.
template <class... Arguments>
int NamedOnly(Arguments const&...);
}  // namespace velqon_internal

#if defined(_DEBUG) || defined(VELQON_CHECKED)
#define ASSERT(expression)               \
    ((expression) ? static_cast<void>(0) \
                  : velqon_internal::AssertFailed(#expression, __FILE__, __LINE__))
#define VERIFY(expression) ASSERT(expression)
#define TRACE(...) velqon_internal::Trace(__VA_ARGS__)
#else
#define ASSERT(expression) static_cast<void>(sizeof(!(expression)))
#define VERIFY(expression) static_cast<void>(expression)
#define TRACE(...) static_cast<void>(sizeof(velqon_internal::NamedOnly(__VA_ARGS__)))
#endif

// ---------------------------------------------------------------------------------------------
// Class names
// ---------------------------------------------------------------------------------------------
typedef CPortableString CString;
typedef CPortableException CException;
typedef CPortableFileException CFileException;
typedef CPortableFileStatus CFileStatus;
typedef CPortableTime CTime;
typedef CPortableTimeSpan CTimeSpan;

namespace velqon_internal {

// The flag word for the library's open: the share field is replaced by shareDenyNone, which
// gives a created file the ordinary permissions 0666 (before the umask). On Windows the share
// flags decide what other opens may do, never the permissions of the file.
inline unsigned int Win32OpenFlags(unsigned int flags) {
    return (flags & ~0x70u) | CPortableFile::shareDenyNone;
}

// Describes a failure with the errno value `osError` in `exception` (when not null).
inline void FillFileException(CPortableFileException* exception, int osError, char const* path) {
    if (exception != nullptr) {
        exception->m_cause = CPortableFileException::OsErrorToException(osError);
        exception->m_lOsError = osError;
        exception->m_strFileName = path;
    }
}

// Throws a heap CFileException (which the catcher frees with Delete()) describing `error`.
[[noreturn]] inline void ThrowFileException(CPortableFileException const& error) {
    CPortableFileException* thrown = new CPortableFileException(error);
    thrown->m_bAutoDelete = 1;
    throw thrown;
}

// The final component of `path`.
inline CPortableString FileNamePart(CPortableString const& path) {
    return path.Mid(path.ReverseFind('/') + 1);
}

}  // namespace velqon_internal

// ---------------------------------------------------------------------------------------------
// CFile and CStdioFile: the library's file classes with the Windows contract
// ---------------------------------------------------------------------------------------------
// What differs from CPortableFile and CPortableStdioFile:
// - the constructor given a path throws a CFileException* (free it with Delete()) when the open
//   fails, instead of leaving a closed object;
// - the share flags do not choose the permissions of a created file: it gets 0666 before the
//   umask, whatever the flags (CPortableFile gives 0444 for shareDenyWrite). They lock nothing;
// - the three-argument Open returns FALSE and describes the failure in the exception it is given
//   (cause, errno value, path) instead of throwing; on a CStdioFile it opens the stream;
// - CStdioFile in text mode (without typeBinary) reads lines the way Windows text mode does:
//   a carriage return before the line feed is dropped, and ReadString(CString&) returns TRUE for
//   a last line that ends at the end of the file, whatever its length.
// Lines are written as given: "\n" stays one byte. The members not listed behave as the library's.
// Derive from these classes as from the Windows ones; CFile adds no data to CPortableFile,
// CStdioFile two flags to CPortableStdioFile.

// Members shared by the two classes; X is the class.
// clang-format off
#define VELQON_WIN32_FILE_MEMBERS(X)                                                            \
    /* Opens `path` like Open(path, flags); throws a CFileException* when that fails. */       \
    X(LPCTSTR path, UINT flags) {                                                               \
        CFileException error;                                                                   \
        if (!X::Open(path, flags, &error)) {                                                    \
            velqon_internal::ThrowFileException(error);                                         \
        }                                                                                       \
    }                                                                                           \
    using CPortableFile::GetStatus;                                                             \
    /* Status of the open file's path (see CPortableFile::GetStatus). */                       \
    BOOL GetStatus(CFileStatus& status) const { return GetStatus(m_strFileName, status); }      \
    /* The path given to Open, and its final component. */                                      \
    CString GetFilePath() const { return m_strFileName; }                                      \
    CString GetFileName() const { return velqon_internal::FileNamePart(m_strFileName); }       \
    /* Deletes (Remove) or renames a file; throws a CFileException* on failure. */             \
    static void Remove(LPCTSTR path) {                                                          \
        if (unlink(path) != 0) {                                                                \
            velqon_internal::ThrowFileException(CFileException(                               \
                CFileException::OsErrorToException(errno), errno, path));                       \
        }                                                                                       \
    }                                                                                           \
    static void Rename(LPCTSTR oldPath, LPCTSTR newPath) {                                      \
        if (rename(oldPath, newPath) != 0) {                                                    \
            velqon_internal::ThrowFileException(CFileException(                               \
                CFileException::OsErrorToException(errno), errno, oldPath));                    \
        }                                                                                       \
    }
// clang-format on

class CFile : public CPortableFile {
public:
    CFile() {}
    // Wraps an open descriptor without owning it (see CPortableFile(int)).
    explicit CFile(int descriptor) : CPortableFile(descriptor) {}
    VELQON_WIN32_FILE_MEMBERS(CFile)

    using CPortableFile::Open;
    // Opens the descriptor (share flags as above): TRUE on success; FALSE on failure, with the
    // failure described in `error` when it is not null. Never throws for a failed open.
    BOOL Open(LPCTSTR path, UINT flags, CFileException* error) override {
        if (CPortableFile::Open(path, velqon_internal::Win32OpenFlags(flags), nullptr)) {
            return TRUE;
        }
        velqon_internal::FillFileException(error, errno, path);
        return FALSE;
    }
};

class CStdioFile : public CPortableStdioFile {
public:
    CStdioFile() {}
    VELQON_WIN32_FILE_MEMBERS(CStdioFile)

    // Opens the descriptor and the stream (share flags as above): TRUE on success; FALSE on
    // failure, described in `error` when it is not null. Never throws for a failed open. Text
    // mode unless `flags` holds typeBinary.
    BOOL Open(LPCTSTR path, UINT flags, CFileException* error) override {
        if (m_bOpeningStream) {
            // The descriptor step of CPortableStdioFile::Open below, which opens the descriptor
            // through the virtual three-argument Open and so comes back here.
            return CPortableFile::Open(path, flags, error);
        }
        m_bTextMode = (flags & typeBinary) == 0;
        m_bOpeningStream = true;
        int opened = 0;
        try {
            opened = CPortableStdioFile::Open(path, velqon_internal::Win32OpenFlags(flags));
        } catch (...) {
            m_bOpeningStream = false;
            throw;
        }
        m_bOpeningStream = false;
        if (opened) {
            return TRUE;
        }
        velqon_internal::FillFileException(error, errno, path);
        return FALSE;
    }
    BOOL Open(LPCTSTR path, UINT flags) override { return CStdioFile::Open(path, flags, nullptr); }

    // One line without its line end (in text mode without a carriage return before it). TRUE
    // when a line was read, also a last one that ends at the end of the file; FALSE at the end.
    BOOL ReadString(CString& line) override {
        int const result = CPortableStdioFile::ReadString(line);
        int const length = line.GetLength();
        if (m_bTextMode && result && length > 0 && line[length - 1] == '\r') {
            line.GetBufferSetLength(length - 1);
        }
        return result || !line.IsEmpty();
    }
    // At most size - 1 characters of one line, the line feed kept (in text mode a carriage
    // return before it is dropped); null at the end of the file.
    LPTSTR ReadString(LPTSTR buffer, UINT size) override {
        char* const line = CPortableStdioFile::ReadString(buffer, size);
        if (line != nullptr && m_bTextMode) {
            size_t const length = strlen(line);
            if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') {
                line[length - 2] = '\n';
                line[length - 1] = '\0';
            }
        }
        return line;
    }
    // Writes the stream's buffer to the descriptor.
    void Flush() {
        if (m_pStream != nullptr) {
            fflush(m_pStream);
        }
    }

protected:
    bool m_bTextMode = true;        // no typeBinary in the flags of the last Open
    bool m_bOpeningStream = false;  // inside Open: the descriptor step is under way
};

#undef VELQON_WIN32_FILE_MEMBERS

// ---------------------------------------------------------------------------------------------
// CFileFind: directory search with the Windows loop
// ---------------------------------------------------------------------------------------------
// FindFile("dir/pattern") prepares a search and says whether anything matches; each
// FindNextFile then moves to the next match and returns whether another one follows it, so the
// usual loop sees every match:
//
//     CFileFind finder;
//     BOOL more = finder.FindFile("logs/*.log");
//     while (more) {
//         more = finder.FindNextFile();
//         if (finder.IsDots() || finder.IsDirectory()) continue;
//         Process(finder.GetFilePath());
//     }
//
// Every entry the directory holds takes part, "." and ".." included (IsDots tells them), in the
// order the directory delivers them. Patterns are shell wildcards matched as Windows does:
// without regard to case, a leading period matched by "*", and "*.*" matching every name. Only
// "/" separates directories; a pattern without one searches the working directory, and no
// pattern is "*.*". GetFilePath is the full path: the searched directory made absolute, a slash
// and the name. Unlike CPortableFileFind this class neither skips the first entry nor touches
// the process locale. One object is used by one thread at a time.
class CFileFind {
public:
    CFileFind() : m_pDir(nullptr), m_bHaveNext(false), m_bStatDone(false), m_bStatOk(false) {}
    ~CFileFind() { Close(); }
    CFileFind(CFileFind const&) = delete;
    CFileFind& operator=(CFileFind const&) = delete;

    // Starts a search for `name` (a directory part, then a wildcard pattern); TRUE when at least
    // one entry matches. A search still open is closed first. `flags` is not used.
    BOOL FindFile(LPCTSTR name = nullptr, DWORD flags = 0) {
        static_cast<void>(flags);
        Close();
        CString const path = (name != nullptr && name[0] != '\0') ? name : "*.*";
        int const slash = path.ReverseFind('/');
        m_strPattern = path.Mid(slash + 1);
        CString directory = slash < 0 ? CString(".") : slash == 0 ? CString("/") : path.Left(slash);
        if (directory[0] != '/') {
            char cwd[4096];
            if (getcwd(cwd, sizeof cwd) == nullptr) {
                return FALSE;
            }
            directory = directory == "." ? CString(cwd) : CString(cwd) + "/" + directory;
        }
        m_strRoot = directory;
        m_pDir = opendir(m_strRoot);
        return m_pDir != nullptr && ReadAhead();
    }
    // Moves to the next match; TRUE when another match follows it, FALSE when this is the last
    // one (or when there is none left to move to).
    BOOL FindNextFile() {
        if (!m_bHaveNext) {
            return FALSE;
        }
        m_strName = m_strNext;
        m_bStatDone = false;
        return ReadAhead();
    }
    // Ends the search; the current entry stays readable.
    void Close() {
        if (m_pDir != nullptr) {
            closedir(m_pDir);
            m_pDir = nullptr;
        }
        m_bHaveNext = false;
    }

    // The current entry's name, its name without the last extension, its full path, and the
    // searched directory (absolute).
    CString GetFileName() const { return m_strName; }
    CString GetFileTitle() const {
        int const dot = m_strName.ReverseFind('.');
        return dot > 0 ? m_strName.Left(dot) : m_strName;
    }
    CString GetFilePath() const {
        return m_strRoot == "/" ? "/" + m_strName : m_strRoot + "/" + m_strName;
    }
    CString GetRoot() const { return m_strRoot; }
    // "." or "..".
    BOOL IsDots() const { return m_strName == "." || m_strName == ".."; }
    // From stat() of the path (so a link to a directory is a directory); FALSE when stat fails.
    BOOL IsDirectory() const { return Stat() && S_ISDIR(m_stat.st_mode); }
    // A name that begins with a period, other than the dots.
    BOOL IsHidden() const { return m_strName.GetLength() > 0 && m_strName[0] == '.' && !IsDots(); }
    // Size in bytes; 0 when stat fails.
    ULONGLONG GetLength() const { return Stat() ? static_cast<ULONGLONG>(m_stat.st_size) : 0; }
    // Time of the last modification; FALSE when stat fails.
    BOOL GetLastWriteTime(CTime& time) const {
        if (!Stat()) {
            return FALSE;
        }
        time = static_cast<long>(m_stat.st_mtime);
        return TRUE;
    }

protected:
    // Reads entries up to the next match and keeps its name; FALSE (search closed) at the end.
    BOOL ReadAhead() {
        for (;;) {
            dirent const* const entry = readdir(m_pDir);
            if (entry == nullptr) {
                Close();
                return FALSE;
            }
            if (Matches(entry->d_name)) {
                m_strNext = entry->d_name;
                m_bHaveNext = true;
                return TRUE;
            }
        }
    }
    bool Matches(char const* name) const {
        if (m_strPattern == "*.*") {
            return true;
        }
#ifdef FNM_CASEFOLD
        return fnmatch(m_strPattern, name, FNM_CASEFOLD) == 0;
#else
        return fnmatch(m_strPattern, name, 0) == 0;
#endif
    }
    bool Stat() const {
        if (!m_bStatDone) {
            m_bStatOk = stat(GetFilePath(), &m_stat) == 0;
            m_bStatDone = true;
        }
        return m_bStatOk;
    }

    DIR* m_pDir;        // open directory stream; null when no search is open
    CString m_strRoot;  // absolute directory searched
    CString m_strPattern;
    CString m_strName;  // current entry
    CString m_strNext;  // the match after it, when m_bHaveNext
    bool m_bHaveNext;
    mutable bool m_bStatDone;  // m_stat describes the current entry
    mutable bool m_bStatOk;
    mutable struct stat m_stat;
};

// ---------------------------------------------------------------------------------------------
// Events and waits (event handles only: a thread handle is refused, see VelqonThread.h)
// ---------------------------------------------------------------------------------------------
// A new, unnamed event (the name and security attributes are ignored: every call makes a new
// event, which no other call or process can open). An auto-reset event's set releases one thread
// waiting at that moment and is lost when none waits (see the porting guide).
inline HANDLE CreateEvent(LPVOID security, BOOL manualReset, BOOL initialState, LPCTSTR name) {
    return CreatePortableEvent(security, manualReset, initialState, name);
}
inline BOOL SetEvent(HANDLE event) {
    return SetPortableEvent(event);
}
// ResetEvent(HANDLE) is the library's own.
// WAIT_OBJECT_0 when the event is set, WAIT_TIMEOUT when `milliseconds` pass first, and also at
// once for a thread handle (the library's waits never report WAIT_FAILED).
inline DWORD WaitForSingleObject(HANDLE event, DWORD milliseconds) {
    return WaitForPortableEvent(event, milliseconds);
}
// The library's WaitForMultipleObjects for a constant array of handles.
inline DWORD WaitForMultipleObjects(DWORD count, HANDLE const* handles, BOOL waitAll,
                                    DWORD milliseconds) {
    return WaitForMultipleObjects(count, const_cast<HANDLE*>(handles), waitAll, milliseconds);
}

// ---------------------------------------------------------------------------------------------
// Threads, process, time since start
// ---------------------------------------------------------------------------------------------
namespace velqon_internal {
// What a thread started by the Windows form of _beginthreadex runs; the thread frees it.
struct Win32ThreadStart {
    unsigned int (*proc)(void*);
    void* argument;
};
inline void* RunWin32Thread(void* start) {
    Win32ThreadStart const copy = *static_cast<Win32ThreadStart*>(start);
    delete static_cast<Win32ThreadStart*>(start);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(copy.proc(copy.argument)));
}
}  // namespace velqon_internal

// The Windows form: starts proc(argument) at once and returns the thread handle (the library's
// CPortableThread object) as an integer, or 0 when the thread could not start (nothing is left
// allocated then). `security`, `stackSize` and `flags` are not used; *threadId (when not null)
// receives the identifier GetCurrentThreadId reports in the thread, or 0. The handle is not a
// waitable object: wait for the thread's end with WaitForPortableThread(handle, ...), then free
// it with ClosePortableThread(handle); never close it while the thread runs (that sends it
// SIGQUIT, which ends the whole process by default).
inline uintptr_t _beginthreadex(void* security, unsigned int stackSize, unsigned int (*proc)(void*),
                                void* argument, unsigned int flags, unsigned int* threadId) {
    static_cast<void>(security);
    velqon_internal::Win32ThreadStart* start =
        new velqon_internal::Win32ThreadStart{proc, argument};
    unsigned int id = 0;
    void* thread = nullptr;
    try {
        thread = _beginthreadex(static_cast<char const*>(nullptr), stackSize,
                                velqon_internal::RunWin32Thread, start, flags, &id);
    } catch (...) {
        delete start;
        throw;
    }
    if (threadId != nullptr) {
        *threadId = id;
    }
    if (static_cast<CPortableThread*>(thread)->m_hThread == 0) {
        delete start;
        ClosePortableThread(thread);  // never started: nothing to signal, only deleted
        return 0;
    }
    return reinterpret_cast<uintptr_t>(thread);
}

// The calling thread's identifier as _beginthreadex and CPortableThread::BeginThread report it:
// the low 32 bits of its POSIX thread identifier (not the kernel's gettid).
inline DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(pthread_self());
}
inline DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

// Suspends the calling thread for `milliseconds` (signals do not cut it short); 0 yields the
// processor. INFINITE sleeps for 49.7 days.
inline void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec rest;
    rest.tv_sec = static_cast<time_t>(milliseconds / 1000);
    rest.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

// Milliseconds on the monotonic clock (time since the system started, without the time it was
// suspended); GetTickCount wraps to 0 every 49.7 days.
inline ULONGLONG GetTickCount64() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u +
           static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
}
inline DWORD GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}

// ---------------------------------------------------------------------------------------------
// Critical sections: recursive mutexes, as on Windows (the owner may enter again and leaves as
// often as it entered)
// ---------------------------------------------------------------------------------------------
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

inline void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&section->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}
// The spin count is not used.
inline BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount) {
    static_cast<void>(spinCount);
    InitializeCriticalSection(section);
    return TRUE;
}
inline void EnterCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutex_lock(&section->mutex);
}
inline BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    return pthread_mutex_trylock(&section->mutex) == 0;
}
inline void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutex_unlock(&section->mutex);
}
inline void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutex_destroy(&section->mutex);
}

// ---------------------------------------------------------------------------------------------
// Interlocked operations on 32-bit LONG values: atomic, each a full barrier. Increment and
// Decrement return the new value, the others the value before. The library's own
// InterlockedIncrement(long*) and InterlockedDecrement(long*) stay for 64-bit counters.
// ---------------------------------------------------------------------------------------------
inline LONG InterlockedIncrement(LONG volatile* addend) {
    return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(LONG volatile* addend) {
    return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(LONG volatile* target, LONG value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchangeAdd(LONG volatile* addend, LONG value) {
    return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}
// Stores `exchange` when the value equals `comparand`; returns the value before.
inline LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand) {
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return comparand;
}

// ---------------------------------------------------------------------------------------------
// SYSTEMTIME and FILETIME (the library's GetSystemTime fills UTC)
// ---------------------------------------------------------------------------------------------
// SYSTEMTIME has a ninth field here, wIsDst, after wMilliseconds: the record is 18 bytes, not 16.
namespace velqon_internal {
// Days from 1601-01-01 to the given date of the proleptic Gregorian calendar.
inline long long DaysSince1601(long long year, unsigned int month, unsigned int day) {
    year -= month <= 2 ? 1 : 0;
    long long const era = year / 400;  // years from 1600 on are never negative here
    long long const yearOfEra = year - era * 400;
    long long const dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    long long const dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 584694;  // 584694: days from 0000-03-01 to 1601-01-01
}
inline bool IsLeapYear(unsigned int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}
inline unsigned int DaysInMonth(unsigned int year, unsigned int month) {
    static unsigned char const kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}
unsigned long long const kFileTicksPerSecond = 10000000ull;  // 100-nanosecond units
}  // namespace velqon_internal

// The current local time, milliseconds included; wIsDst is the C library's daylight-saving flag
// of that time (0 or 1).
inline void GetLocalTime(LPSYSTEMTIME time) {
    timeval now;
    gettimeofday(&now, nullptr);
    struct tm fields;
    localtime_r(&now.tv_sec, &fields);
    time->wYear = static_cast<WORD>(fields.tm_year + 1900);
    time->wMonth = static_cast<WORD>(fields.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    time->wDay = static_cast<WORD>(fields.tm_mday);
    time->wHour = static_cast<WORD>(fields.tm_hour);
    time->wMinute = static_cast<WORD>(fields.tm_min);
    time->wSecond = static_cast<WORD>(fields.tm_sec);
    time->wMilliseconds = static_cast<WORD>(now.tv_usec / 1000);
    time->wIsDst = static_cast<WORD>(fields.tm_isdst > 0 ? 1 : 0);
}

// The record's date and time as 100-nanosecond intervals since 1601-01-01, with no time-zone
// conversion. FALSE, and *fileTime untouched, for a field out of range (years 1601 to 30827).
// The day of the week and wIsDst are not read.
inline BOOL SystemTimeToFileTime(_SYSTEMTIME const* time, LPFILETIME fileTime) {
    if (time->wYear < 1601 || time->wYear > 30827 || time->wMonth < 1 || time->wMonth > 12 ||
        time->wDay < 1 || time->wDay > velqon_internal::DaysInMonth(time->wYear, time->wMonth) ||
        time->wHour > 23 || time->wMinute > 59 || time->wSecond > 59 || time->wMilliseconds > 999) {
        return FALSE;
    }
    unsigned long long const seconds =
        static_cast<unsigned long long>(
            velqon_internal::DaysSince1601(time->wYear, time->wMonth, time->wDay)) *
            86400u +
        time->wHour * 3600u + time->wMinute * 60u + time->wSecond;
    unsigned long long const ticks =
        seconds * velqon_internal::kFileTicksPerSecond + time->wMilliseconds * 10000ull;
    fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return TRUE;
}

// The inverse, with the day of the week filled and wIsDst 0; the fraction below a millisecond is
// dropped. FALSE, and *time untouched, for a value with the top bit set.
inline BOOL FileTimeToSystemTime(_FILETIME const* fileTime, LPSYSTEMTIME time) {
    unsigned long long const ticks =
        (static_cast<unsigned long long>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
    if (ticks >> 63 != 0) {
        return FALSE;
    }
    unsigned long long const seconds = ticks / velqon_internal::kFileTicksPerSecond;
    long long const days = static_cast<long long>(seconds / 86400u);
    unsigned int const secondOfDay = static_cast<unsigned int>(seconds % 86400u);
    // The civil date of day `days` after 1601-01-01 (a Monday), counted in 400-year eras from
    // 1600-03-01.
    long long const fromMarch1600 = days + 306;
    long long const era = fromMarch1600 / 146097;
    long long const dayOfEra = fromMarch1600 - era * 146097;
    long long const yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long const dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long const monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
    unsigned int const month =
        static_cast<unsigned int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time->wYear = static_cast<WORD>(1600 + era * 400 + yearOfEra + (month <= 2 ? 1 : 0));
    time->wMonth = static_cast<WORD>(month);
    time->wDayOfWeek = static_cast<WORD>((days + 1) % 7);
    time->wDay = static_cast<WORD>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time->wHour = static_cast<WORD>(secondOfDay / 3600);
    time->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
    time->wSecond = static_cast<WORD>(secondOfDay % 60);
    time->wMilliseconds = static_cast<WORD>(ticks % velqon_internal::kFileTicksPerSecond / 10000u);
    time->wIsDst = 0;
    return TRUE;
}

#endif  // VELQON_WIN32_H
