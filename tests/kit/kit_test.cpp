// The porting kit, VelqonWin32.h, built as C++17 after the headers it uses.
#include <string.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonWin32.h"
#include "temp_dir.h"

namespace {

ULONGLONG MonotonicMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Thread function in the Windows form: stores GetCurrentThreadId() where `slot` points.
unsigned __stdcall StoreThreadId(LPVOID slot) {
    *static_cast<DWORD*>(slot) = GetCurrentThreadId();
    return 0;
}

// Each forwarder gives what the function it forwards to gives; thread handles are no events.
TEST(KitTest, ForwardersMatchTheLibrary) {
    HANDLE const events[2] = {CreateEvent(nullptr, TRUE, TRUE, nullptr),
                              CreateEvent(nullptr, FALSE, FALSE, nullptr)};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(events[0], INFINITE));
    EXPECT_EQ(TRUE, SetEvent(events[1]));                                 // a pulse: nobody waits
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, events, TRUE, 0));  // constant array
    EXPECT_EQ(TRUE, ResetEvent(events[0]));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(events[0], 0));
    DWORD seen = 0;
    unsigned int id = 0;
    auto const thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, StoreThreadId, &seen, 0, &id));
#ifndef VELQON_CHECKED  // refused in the default build, stopped in the checked one
    HANDLE const mixed[2] = {events[0], thread};
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, mixed, TRUE, INFINITE));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, INFINITE));
    EXPECT_EQ(TRUE, SetEvent(thread));
    EXPECT_EQ(TRUE, ResetEvent(thread));
    ClosePortableEvent(thread);
#endif
    EXPECT_EQ(0u, WaitForPortableThread(thread, INFINITE));
    ClosePortableThread(thread);
    ClosePortableEvent(events[0]);
    ClosePortableEvent(events[1]);
    EXPECT_NE(0u, id);
    EXPECT_EQ(id, seen);
    EXPECT_EQ(static_cast<DWORD>(getpid()), GetCurrentProcessId());

    ULONGLONG const before = MonotonicMilliseconds();
    ULONGLONG const ticks = GetTickCount64();
    DWORD const ticks32 = GetTickCount();
    Sleep(20);
    ULONGLONG const after = MonotonicMilliseconds();
    EXPECT_LE(before, ticks);
    EXPECT_LE(ticks + 20, after);
    EXPECT_LE(ticks32 - static_cast<DWORD>(ticks), after - ticks);

    // "abc" follows "ABD" with case (a > A), precedes it without, and equals it in two characters.
    EXPECT_GT(0, lstrcmpi("abc", "ABD"));
    EXPECT_GT(0, _stricmp("abc", "ABD"));
    EXPECT_LT(0, lstrcmp("abc", "ABD"));
    EXPECT_EQ(0, _strnicmp("abc", "ABD", 2));
    EXPECT_GT(0, _strnicmp("abc", "ABD", 3));
    std::unique_ptr<char, decltype(&free)> const copy(_strdup("copy"), free);
    EXPECT_STREQ("copy", copy.get());
}

// Local time, time fields and comparisons; SYSTEMTIME to and from FILETIME, range refused.
TEST(KitTest, TimesAndConversions) {
    // Bounds from the clock GetLocalTime reads: time() may read a coarser clock a tick behind.
    auto const seconds = [] {
        timeval now;
        gettimeofday(&now, nullptr);
        return now.tv_sec;
    };
    time_t const first = seconds();
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_LE(first, CTime(now, now.wIsDst).GetTime());
    EXPECT_GE(seconds(), CTime(now, now.wIsDst).GetTime());
    CTime const time(SYSTEMTIME{2024, 2, 0, 29, 13, 14, 15, 999, 0});
    EXPECT_EQ(CTime(2024, 2, 29, 13, 14, 15).GetTime(), time.GetTime());
    EXPECT_EQ((std::vector<int>{2024, 2, 29, 13, 14, 15, 5}),  // a Thursday, 1 being Sunday
              (std::vector<int>{time.GetYear(), time.GetMonth(), time.GetDay(), time.GetHour(),
                                time.GetMinute(), time.GetSecond(), time.GetDayOfWeek()}));
    CTimeSpan const span(1, 2, 3, 4);
    EXPECT_EQ(93784, span.GetTotalSeconds());
    CTime const later = time + span;
    EXPECT_TRUE(time < later && later > time && time <= time && time >= time && time == time &&
                time != later && !(later < time) && !(time > later));
    EXPECT_TRUE(CTimeSpan(60) < span && span > CTimeSpan(60) && span <= span && span >= span &&
                span == span && span != CTimeSpan(60) && !(span < CTimeSpan(60)));

    SYSTEMTIME const leapDay = {2000, 2, 2, 29, 12, 34, 56, 789, 0};  // a Tuesday
    FILETIME fileTime = {0, 0};
    ASSERT_EQ(TRUE, SystemTimeToFileTime(&leapDay, &fileTime));
    ULARGE_INTEGER const ticks = {{fileTime.dwLowDateTime, fileTime.dwHighDateTime}};
    EXPECT_EQ(125963012967890000u, ticks.QuadPart);  // 100-nanosecond intervals since 1601
    ASSERT_EQ(TRUE, FileTimeToSystemTime(&fileTime, &now));
    EXPECT_EQ(0, memcmp(&leapDay, &now, sizeof now));
    SYSTEMTIME const noLeapDay = {2023, 2, 0, 29, 0, 0, 0, 0, 0};
    EXPECT_EQ(FALSE, SystemTimeToFileTime(&noLeapDay, &fileTime));
    fileTime.dwHighDateTime = 0x80000000u;
    EXPECT_EQ(FALSE, FileTimeToSystemTime(&fileTime, &now));
}

// Critical sections are recursive; the interlocked operations' results, and wrapping at 32 bits.
TEST(KitTest, CriticalSectionsAndInterlocked) {
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

    LONG volatile value = 5;
    EXPECT_EQ(
        (std::vector<LONG>{6, 5, 5, 9, 9, 1, -2}),  // not equal to 8: unchanged
        (std::vector<LONG>{InterlockedIncrement(&value), InterlockedDecrement(&value),
                           InterlockedExchange(&value, 9), InterlockedCompareExchange(&value, 1, 8),
                           InterlockedCompareExchange(&value, 1, 9),
                           InterlockedExchangeAdd(&value, -3), value}));
    value = 0x7FFFFFFF;
    EXPECT_EQ(-0x7FFFFFFF - 1, InterlockedIncrement(&value));
    long counter = -1;  // the library's own 64-bit counters
    EXPECT_EQ(-2, InterlockedDecrement(&counter));
}

// The Windows contract of CFile and CStdioFile; stream I/O without a stream refused by default.
TEST(KitTest, FilesKeepTheWindowsContract) {
    TempDir dir;
    std::string const missing = dir.File("missing/name.txt");
    try {
        CStdioFile file(missing.c_str(), CFile::modeRead);
        ADD_FAILURE() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(CFileException::fileNotFound, e->m_cause);
        char text[256];
        EXPECT_EQ(TRUE, e->GetErrorMessage(text, sizeof text));
        EXPECT_EQ(missing + ": " + strerror(ENOENT), text);
        e->Delete();
    }
    CFile plain;
    CFileException error;
    EXPECT_EQ(FALSE, plain.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(ENOENT, error.m_lOsError);
    EXPECT_STREQ(missing.c_str(), error.m_strFileName);

    std::string const path = dir.File("out.txt");
    CStdioFile out;
    ASSERT_EQ(TRUE, out.Open(path.c_str(),
                             CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite, &error));
    out.WriteString(("one\r\n\r\n" + std::string(127, 'x')).c_str());
    out.Flush();
    struct stat info;
    ASSERT_EQ(0, stat(path.c_str(), &info));
    mode_t const mask = umask(0);  // reading the mask means setting it: put it back at once
    umask(mask);
    EXPECT_EQ(0666u & ~mask, info.st_mode & 0777u);  // share flags decide no permission
    EXPECT_EQ(134, info.st_size);
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
    text.SeekToBegin();
    EXPECT_STREQ("one\n", text.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("out.txt", text.GetFileName());

#ifndef VELQON_CHECKED
    CPortableStdioFile streamless;
    ASSERT_EQ(1, streamless.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite, nullptr));
    streamless.WriteString("lost");
    streamless.Write("lost", 4);
    EXPECT_EQ(0, streamless.Read(buffer, sizeof buffer));
    EXPECT_EQ(nullptr, streamless.ReadString(buffer, sizeof buffer));
    EXPECT_EQ(0, streamless.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    EXPECT_EQ(-1, streamless.Seek(0, CFile::begin));
    EXPECT_EQ(-1, streamless.GetPosition());
    EXPECT_EQ(0, lseek(streamless.m_hFile, 0, SEEK_END));
#endif

    // Rename and Remove act on the file system and throw a CFileException* when they fail.
    std::string const moved = dir.File("moved.txt");
    CFile::Rename(path.c_str(), moved.c_str());
    EXPECT_EQ(-1, access(path.c_str(), F_OK));
    CFile::Remove(moved.c_str());
    for (auto const& fails :
         {std::function<void()>([&] { CFile::Remove(moved.c_str()); }),
          std::function<void()>([&] { CFile::Rename(path.c_str(), moved.c_str()); })}) {
        try {
            fails();
            ADD_FAILURE() << "no exception";
        } catch (CFileException* e) {
            EXPECT_EQ(CFileException::fileNotFound, e->m_cause);
            e->Delete();
        }
    }
}

// CFileFind's Windows loop visits each match once, with full paths; patterns ignore case.
TEST(KitTest, FileFindVisitsEveryMatch) {
    TempDir dir;
    ASSERT_EQ(0, mkdir(dir.File("sub").c_str(), 0700));
    for (char const* name : {"a.TXT", "b.txt", "README"}) {
        dir.Write(name, name);
    }
    auto const visited = [&dir](char const* pattern) {  // "/" marks directories, "!" short paths
        std::multiset<std::string> names;
        CFileFind finder;
        for (BOOL more = finder.FindFile((dir.Path() + pattern).c_str()); more;) {
            more = finder.FindNextFile();
            bool const full = finder.GetFilePath() == finder.GetRoot() + "/" + finder.GetFileName();
            names.insert(std::string(finder.GetFileName()) + (finder.IsDirectory() ? "/" : "") +
                         (full ? "" : "!"));
        }
        return names;
    };
    EXPECT_EQ((std::multiset<std::string>{"../", "./", "README", "a.TXT", "b.txt", "sub/"}),
              visited("/*.*"));
    EXPECT_EQ((std::multiset<std::string>{"a.TXT", "b.txt"}), visited("/*.txt"));
    EXPECT_TRUE(visited("/*.none").empty());
    EXPECT_TRUE(visited("/missing/*").empty());
}

}  // namespace
