// The library's headers before system headers the kit does not include; the library's names.
#include <VelqonMFC.h>
#include <VelqonMfcContainers.h>
#include <VelqonProcInfo.h>
#include <VelqonProcess.h>
#include <VelqonThread.h>
#include <VelqonWin32.h>
#include <velqontools.h>

#include <math.h>
#include <signal.h>
#include <sys/socket.h>
#include <wchar.h>

#include <iostream>
#include <thread>

// Each failed check prints itself and counts 1.
#define CHECK(condition) ((condition) ? 0 : (fprintf(stderr, "check failed: %s\n", #condition), 1))

int CheckLibraryNames() {
    char digits[] = "123456789";
    char mixed[] = "MiXeD";
    LnxProcInfo info;
    info.GetId();
    return CHECK(Portable_crc32(digits, 9) == 0xCBF43926u) +
           CHECK(strcmp(strlwr(mixed), "mixed") == 0 && lstrlen(NULL) == 0) +
           CHECK(CPortableTime(86400L).FormatGmt("%Y-%m-%d") == "1970-01-02") +
           CHECK(info.m_nPid == getpid() && gettid() == getpid()) +
           CHECK(strcmp(szVelqonVersion, "Version: 2.2.12.0") == 0);
}
