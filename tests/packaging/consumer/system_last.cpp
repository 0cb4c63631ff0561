// The library's headers come first here; system_first.cpp includes them after the system's.
#include <VelqonMFC.h>
#include <VelqonMfcContainers.h>
#include <VelqonProcInfo.h>
#include <VelqonProcess.h>
#include <VelqonThread.h>
#include <velqontools.h>

#include <pthread.h>
#include <string.h>
#include <unistd.h>

#include "check.h"

int CheckThreadsAndHost() {
    int failures = 0;

    char digits[] = "123456789";
    failures += CHECK(Portable_crc32(digits, 9) == 0xCBF43926u);

    LnxProcInfo info;
    info.GetId();
    failures += CHECK(info.m_nPid == getpid());
    failures += CHECK(strcmp(szVelqonVersion, "Version: 2.2.12.0") == 0);

    char comm[64] = "";
    FILE* self = fopen("/proc/self/comm", "r");
    if (self != NULL) {
        if (fgets(comm, sizeof comm, self) != NULL)
            comm[strcspn(comm, "\n")] = '\0';
        fclose(self);
    }
    failures += CHECK(isThisProcessRunning(getpid(), comm) == 1);
    return failures;
}
