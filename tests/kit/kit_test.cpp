// The porting kit, VelqonWin32.h: its forwarders against the library functions they forward to,
// the critical section's recursion, the interlocked operations, the Windows contract of CFile,
// CStdioFile and CFileFind, the SYSTEMTIME and FILETIME conversions, and what the default build
// refuses. Built as C++17, with the usual C, POSIX and C++ headers before the kit.
#include <errno.h>
#include <ftw.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonWin32.h"
#include "temp_dir.h"
#include "windows_style.h"

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

unsigned long long Milliseconds(timespec const& time) {
    return static_cast<unsigned long long>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

// Each forwarder gives what the library (or C library) function it forwards to gives.
TEST(KitTest, ForwardersMatchTheLibrary) {
    // Manual reset and initial state reach the event: a manual-reset event created set stays
    // set; an auto-reset set with nobody waiting is a pulse that a later wait misses.
    HANDLE const events[2] = {CreateEvent(nullptr, TRUE, TRUE, nullptr),
                              CreateEvent(nullptr, FALSE, FALSE, nullptr)};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(events[0], 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(events[0], INFINITE));
    EXPECT_EQ(TRUE, SetEvent(events[1]));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(events[1], 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, events, TRUE, 0));  // constant array
    EXPECT_EQ(TRUE, ResetEvent(events[0]));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, events, FALSE, 0));
    for (HANDLE const event : events) {
        ClosePortableEvent(event);
    }

    // The thread sees as GetCurrentThreadId the identifier _beginthreadex reported.
    DWORD seen = 0;
    unsigned int id = 0;
    HANDLE const thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, StoreThreadId, &seen, 0, &id));
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(0u, WaitForPortableThread(thread, INFINITE));
    ClosePortableThread(thread);
    EXPECT_NE(0u, id);
    EXPECT_EQ(id, seen);
    EXPECT_EQ(static_cast<DWORD>(getpid()), GetCurrentProcessId());

    timespec before, after;
    clock_gettime(CLOCK_MONOTONIC, &before);
    ULONGLONG const ticks = GetTickCount64();
    DWORD const ticks32 = GetTickCount();
    clock_gettime(CLOCK_MONOTONIC, &after);
    EXPECT_LE(Milliseconds(before), ticks);
    EXPECT_GE(Milliseconds(after), ticks);
    EXPECT_LE(ticks32 - static_cast<DWORD>(ticks), Milliseconds(after) - ticks);

    for (auto const& pair : {std::make_pair("abc", "ABD"),
                             {"Same", "sAME"},
                             {"b", "A"},
                             {"a", "a["},
                             {"Zeta", "alpha"}}) {
        EXPECT_EQ(Sign(strcasecmp(pair.first, pair.second)),
                  Sign(lstrcmpi(pair.first, pair.second)));
        EXPECT_EQ(Sign(strcasecmp(pair.first, pair.second)),
                  Sign(_stricmp(pair.first, pair.second)));
        EXPECT_EQ(Sign(strcmp(pair.first, pair.second)), Sign(lstrcmp(pair.first, pair.second)));
        EXPECT_EQ(Sign(strncasecmp(pair.first, pair.second, 2)),
                  Sign(_strnicmp(pair.first, pair.second, 2)));
    }
    char* const copy = _strdup("copy");
    EXPECT_STREQ("copy", copy);
    free(copy);

    // Sleep lasts at least its time; GetLocalTime's fields read back as the current time.
    clock_gettime(CLOCK_MONOTONIC, &before);
    Sleep(20);
    clock_gettime(CLOCK_MONOTONIC, &after);
    EXPECT_LE(Milliseconds(before) + 20, Milliseconds(after));
    time_t const first = ::time(nullptr);
    SYSTEMTIME now;
    GetLocalTime(&now);
    time_t const last = ::time(nullptr);
    EXPECT_LE(first, CTime(now, now.wIsDst).GetTime());
    EXPECT_GE(last, CTime(now, now.wIsDst).GetTime());

    // Time fields are those of GetLocalTm; a SYSTEMTIME converts as the calendar constructor.
    SYSTEMTIME const record = {2024, 2, 0, 29, 13, 14, 15, 999, 0};
    CTime const time(record);
    EXPECT_EQ(CTime(2024, 2, 29, 13, 14, 15).GetTime(), time.GetTime());
    struct tm fields = {};
    ASSERT_NE(nullptr, time.GetLocalTm(&fields));
    EXPECT_EQ((std::vector<int>{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                                fields.tm_hour, fields.tm_min, fields.tm_sec, fields.tm_wday + 1}),
              (std::vector<int>{time.GetYear(), time.GetMonth(), time.GetDay(), time.GetHour(),
                                time.GetMinute(), time.GetSecond(), time.GetDayOfWeek()}));
    CTimeSpan const span(1, 2, 3, 4);
    EXPECT_EQ(93784, span.GetTotalSeconds());
    CTime const later = time + span;
    EXPECT_TRUE(time < later && later > time && time <= time && time >= time && time == time &&
                time != later && !(later < time) && !(time > later));
    EXPECT_TRUE(CTimeSpan(60) < span && span > CTimeSpan(60) && span <= span && span >= span &&
                span == span && span != CTimeSpan(60) && !(span < CTimeSpan(60)));
}

// A critical section is recursive: its owner enters again and holds it until it has left as
// often as it entered; another thread cannot enter meanwhile.
TEST(KitTest, CriticalSectionIsRecursive) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    auto const enteredByAnotherThread = [&section] {
        BOOL entered = FALSE;
        std::thread([&] {
            entered = TryEnterCriticalSection(&section);
            if (entered) {
                LeaveCriticalSection(&section);
            }
        }).join();
        return entered;
    };
    EnterCriticalSection(&section);
    EXPECT_EQ(TRUE, TryEnterCriticalSection(&section));
    EnterCriticalSection(&section);
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    EXPECT_EQ(FALSE, enteredByAnotherThread());
    LeaveCriticalSection(&section);
    EXPECT_EQ(TRUE, enteredByAnotherThread());
    DeleteCriticalSection(&section);
}

// The interlocked operations on 32-bit LONG values: what each returns and leaves, wrapping at
// 32 bits, and no increment lost between threads.
TEST(KitTest, InterlockedOperations) {
    LONG volatile value = 5;
    EXPECT_EQ(6, InterlockedIncrement(&value));
    EXPECT_EQ(5, InterlockedDecrement(&value));
    EXPECT_EQ(5, InterlockedExchange(&value, 9));
    EXPECT_EQ(9, InterlockedCompareExchange(&value, 1, 8));  // not equal: unchanged
    EXPECT_EQ(9, InterlockedCompareExchange(&value, 1, 9));
    EXPECT_EQ(1, InterlockedExchangeAdd(&value, -3));
    EXPECT_EQ(-2, value);
    value = 0x7FFFFFFF;
    EXPECT_EQ(-0x7FFFFFFF - 1, InterlockedIncrement(&value));
    value = 0;
    auto const add = [&value] {
        for (int i = 0; i < 100000; ++i) {
            InterlockedIncrement(&value);
        }
    };
    std::thread other(add);
    add();
    other.join();
    EXPECT_EQ(200000, value);
}

// CFile and CStdioFile keep the Windows contract: a failed open in the constructor throws a
// CFileException* that describes it, the three-argument Open describes a failure instead of
// throwing and opens the stream, share flags leave a created file writable, and text-mode lines
// lose the carriage return of CR LF (a last line without a line end still counts).
TEST(KitTest, FilesKeepTheWindowsContract) {
    TempDir dir;
    std::string const missing = dir.File("missing/name.txt");
    try {
        CStdioFile file(missing.c_str(), CFile::modeRead);
        ADD_FAILURE() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(CFileException::fileNotFound, e->m_cause);
        EXPECT_EQ(ENOENT, e->m_lOsError);
        char text[256];
        EXPECT_EQ(TRUE, e->GetErrorMessage(text, sizeof text));
        EXPECT_EQ(missing + ": " + strerror(ENOENT), text);
        e->Delete();
    }
    CFile plain;
    CFileException error;
    EXPECT_EQ(FALSE, plain.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_STREQ(missing.c_str(), error.m_strFileName);

    std::string const path = dir.File("out.txt");
    CStdioFile out;
    ASSERT_EQ(TRUE, out.Open(path.c_str(),
                             CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite, &error));
    out.WriteString(("one\r\n\r\n" + std::string(127, 'x')).c_str());
    out.Flush();
    struct stat info;
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_NE(0u, info.st_mode & S_IWUSR);
    EXPECT_EQ(134, info.st_size);
    out.Close();

    std::string lines;
    CString line;
    CStdioFile text(path.c_str(), CFile::modeRead | CFile::typeText);
    while (text.ReadString(line)) {
        lines += std::string(line) + "|";
    }
    EXPECT_EQ("one||" + std::string(127, 'x') + "|", lines);
    CStdioFile binary(path.c_str(), CFile::modeRead | CFile::typeBinary);
    EXPECT_EQ(TRUE, binary.ReadString(line));
    EXPECT_STREQ("one\r", line);
    char buffer[16];
    EXPECT_STREQ("\r\n", binary.ReadString(buffer, sizeof buffer));
    text.SeekToBegin();
    EXPECT_STREQ("one\n", text.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("out.txt", text.GetFileName());

    std::string const moved = dir.File("moved.txt");
    CFile::Rename(path.c_str(), moved.c_str());
    CFile::Remove(moved.c_str());
    EXPECT_NE(0, access(moved.c_str(), F_OK));
    try {
        CFile::Remove(moved.c_str());
        ADD_FAILURE() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(CFileException::fileNotFound, e->m_cause);
        e->Delete();
    }
}

// CFileFind follows the Windows loop: every matching entry is visited once, the dots included,
// GetFilePath is the full path and IsDirectory works; patterns match without regard to case,
// and "*.*" matches every name.
TEST(KitTest, FileFindVisitsEveryMatch) {
    TempDir dir;
    ASSERT_EQ(0, mkdir(dir.File("sub").c_str(), 0700));
    for (char const* name : {"a.TXT", "b.txt", "README"}) {
        std::ofstream(dir.File(name)) << name;
    }
    EXPECT_EQ("../ ./ README a.TXT b.txt sub/ ", NamesOfWindowsLoop((dir.Path() + "/*.*").c_str()));
    EXPECT_EQ("a.TXT b.txt ", NamesOfWindowsLoop((dir.Path() + "/*.txt").c_str()));
    EXPECT_EQ("", NamesOfWindowsLoop((dir.Path() + "/*.none").c_str()));
    EXPECT_EQ("", NamesOfWindowsLoop(dir.File("missing/*").c_str()));
}

// SystemTimeToFileTime and FileTimeToSystemTime convert to and from 100-nanosecond intervals
// since 1601 (the day of the week filled in) and refuse fields and values out of range.
TEST(KitTest, SystemTimeAndFileTime) {
    struct Row {
        SYSTEMTIME time;
        ULONGLONG ticks;
    };
    for (Row const& row : {Row{{1601, 1, 1, 1, 0, 0, 0, 0, 0}, 0},
                           Row{{1970, 1, 4, 1, 0, 0, 0, 0, 0}, 116444736000000000},
                           Row{{2000, 2, 2, 29, 12, 34, 56, 789, 0}, 125963012967890000},
                           Row{{9999, 12, 5, 31, 23, 59, 59, 999, 0}, 2650467743999990000}}) {
        FILETIME fileTime;
        ASSERT_EQ(TRUE, SystemTimeToFileTime(&row.time, &fileTime));
        ULARGE_INTEGER value;
        value.LowPart = fileTime.dwLowDateTime;
        value.HighPart = fileTime.dwHighDateTime;
        EXPECT_EQ(row.ticks, value.QuadPart);
        SYSTEMTIME back;
        ASSERT_EQ(TRUE, FileTimeToSystemTime(&fileTime, &back));
        EXPECT_EQ(0, memcmp(&row.time, &back, sizeof back)) << row.time.wYear;
    }
    FILETIME fileTime = {0, 0};
    for (SYSTEMTIME const& bad :
         {SYSTEMTIME{2023, 2, 0, 29, 0, 0, 0, 0, 0}, SYSTEMTIME{1600, 12, 0, 31, 0, 0, 0, 0, 0},
          SYSTEMTIME{2024, 1, 0, 1, 24, 0, 0, 0, 0}}) {
        EXPECT_EQ(FALSE, SystemTimeToFileTime(&bad, &fileTime));
    }
    SYSTEMTIME back;
    fileTime.dwHighDateTime = 0x80000000u;
    EXPECT_EQ(FALSE, FileTimeToSystemTime(&fileTime, &back));
}

#ifndef VELQON_CHECKED
// The default build refuses a thread handle given as an event (the waits report 258 at once,
// Set and Reset do nothing) and stream I/O on a stream file without a stream (the inherited
// three-argument Open opens only the descriptor); the checked build stops on both instead.
TEST(KitTest, MisuseIsRefused) {
    DWORD seen = 0;
    unsigned int id = 0;
    HANDLE const thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, StoreThreadId, &seen, 0, &id));
    HANDLE const handles[2] = {CreateEvent(nullptr, TRUE, FALSE, nullptr), thread};
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, handles, TRUE, INFINITE));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, INFINITE));
    EXPECT_EQ(TRUE, SetEvent(thread));
    EXPECT_EQ(TRUE, ResetEvent(thread));
    ClosePortableEvent(thread);
    EXPECT_EQ(0u, WaitForPortableThread(thread, INFINITE));
    ClosePortableThread(thread);
    ClosePortableEvent(handles[0]);

    TempDir dir;
    CPortableStdioFile file;
    ASSERT_EQ(1,
              file.Open(dir.File("f").c_str(), CFile::modeCreate | CFile::modeReadWrite, nullptr));
    file.WriteString("lost");
    file.Write("lost", 4);
    char buffer[8];
    CString line("x");
    EXPECT_EQ(0, file.Read(buffer, sizeof buffer));
    EXPECT_EQ(nullptr, file.ReadString(buffer, sizeof buffer));
    EXPECT_EQ(0, file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    EXPECT_EQ(-1, file.Seek(0, CFile::begin));
    EXPECT_EQ(-1, file.GetPosition());
    EXPECT_EQ(0, lseek(file.m_hFile, 0, SEEK_END));
}
#endif

}  // namespace
