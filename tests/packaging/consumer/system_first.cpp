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
#include <velqontools.h>

#include "check.h"

int CheckStringsAndCollections() {
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

    CDWordArray numbers;
    numbers.SetAtGrow(4, 7);
    failures += CHECK(numbers.GetSize() == 5 && numbers.GetAt(0) == 0 && numbers.GetAt(4) == 7);
    return failures;
}

int main() {
    int failures = CheckStringsAndCollections() + CheckThreadsAndHost();
    printf("consumer: %d failed checks\n", failures);
    return failures == 0 ? 0 : 1;
}
