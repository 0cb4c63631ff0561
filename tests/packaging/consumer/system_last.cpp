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
    long counter = 0;
    failures += CHECK(InterlockedDecrement(&counter) == -1);
    return failures;
}
