// The system headers come first here and last in system_last.cpp: the public headers must not
// clash with POSIX declarations (gettid, the string functions) in either order.
#include <pthread.h>
#include <string.h>
#include <unistd.h>

#include <VelqonMFC.h>
#include <VelqonMfcContainers.h>
#include <VelqonProcInfo.h>
#include <VelqonProcess.h>
#include <VelqonThread.h>
#include <VelqonWin32.h>
#include <velqontools.h>

#include "check.h"

int CheckStringsCollectionsAndTools() {
    int failures = 0;

    CPortableString name("porting");
    CPortableString copy(name);
    copy += " team";
    failures += CHECK(strcmp(name, "porting") == 0);
    failures += CHECK(copy == "porting team");
    failures += CHECK(copy.Find("team") == 8);

    CPortableString line;
    line.Format("%s has %d characters", static_cast<char const*>(copy), copy.GetLength());
    failures += CHECK(line == "porting team has 12 characters");

    char upper[] = "MiXeD";
    failures += CHECK(strcmp(strlwr(upper), "mixed") == 0);
    failures += CHECK(lstrlen(NULL) == 0);

    // List elements and map values share the caller's string blocks.
    CStringList list;
    list.AddTail(copy);
    list.AddHead("first");
    failures += CHECK(list.GetCount() == 2);
    POSITION position = list.FindIndex(1);
    failures += CHECK(position != NULL && list.GetAt(position) == "porting team");
    failures += CHECK(list.Find("first") == list.GetHeadPosition());

    CMapStringToString map;
    map["key"] = copy;
    CPortableString value;
    failures += CHECK(map.Lookup("key", value) == 1 && value == "porting team");
    failures += CHECK(map.Lookup("Key", value) == 0);

    // A date check, a calendar time and its UTC formatting.
    _SYSTEMTIME leapDay = {2024, 2, 0, 29, 12, 30, 0, 0, 0};
    failures += CHECK(bValidateDateTime(&leapDay) == 1);
    leapDay.wYear = 2023;
    failures += CHECK(bValidateDateTime(&leapDay) == 0);
    CPortableTime epochDay(86400L);
    failures += CHECK(epochDay.FormatGmt("%Y-%m-%d") == "1970-01-02");

    // The working directory completes a relative name.
    char path[1024];
    unsigned int length = GetFullPathName("name.txt", sizeof path, path, NULL);
    failures += CHECK(length > 9 && strcmp(path + length - 9, "/name.txt") == 0);

    CDWordArray numbers;
    numbers.SetAtGrow(4, 7);
    failures += CHECK(numbers.GetSize() == 5 && numbers.GetAt(0) == 0 && numbers.GetAt(4) == 7);
    return failures;
}

int main() {
    int failures = CheckStringsCollectionsAndTools() + CheckThreadsAndHost();
    printf("consumer: %d failed checks\n", failures);
    return failures == 0 ? 0 : 1;
}
