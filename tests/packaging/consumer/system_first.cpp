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
    long counter = 41;
    failures += CHECK(InterlockedIncrement(&counter) == 42);
    return failures;
}

int main() {
    int failures = CheckStringsAndCollections() + CheckThreadsAndHost();
    printf("consumer: %d failed checks\n", failures);
    return failures == 0 ? 0 : 1;
}
