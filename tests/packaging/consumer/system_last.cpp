// The library's headers come first here; system_first.cpp includes them after the system's.
#include <VelqonMFC.h>
#include <VelqonMfcContainers.h>
#include <VelqonProcInfo.h>
#include <VelqonProcess.h>
#include <VelqonThread.h>
#include <VelqonWin32.h>
#include <velqontools.h>

#include <pthread.h>
#include <string.h>
#include <unistd.h>

#include "check.h"

static void* SetFromThread(void* event) {
    SetPortableEvent(event);
    return NULL;
}

int CheckThreadsAndHost() {
    int failures = 0;

    char digits[] = "123456789";
    failures += CHECK(Portable_crc32(digits, 9) == 0xCBF43926u);

    // A manual-reset event set by another thread is seen by a multi-object wait at its index.
    void* events[2] = {CreatePortableEvent(NULL, 1, 0, NULL),
                       CreatePortableEvent(NULL, 1, 0, NULL)};
    failures += CHECK(WaitForPortableEvent(events[1], 0) == 258u);
    unsigned int id = 0;
    void* thread = _beginthreadex("consumer", 0, SetFromThread, events[1], 0, &id);
    failures += CHECK(id != 0);
    failures += CHECK(WaitForMultipleObjects(2, events, 0, 60000) == 1u);
    failures += CHECK(WaitForPortableThread(thread, 60000) == 0u);
    ClosePortableThread(thread);
    ClosePortableEvent(events[0]);
    ClosePortableEvent(events[1]);

    LnxProcInfo info;
    info.GetId();
    failures += CHECK(info.m_nPid == getpid());
    failures += CHECK(gettid() == getpid());  // the main thread's kernel id is the process id
    failures += CHECK(strcmp(szVelqonVersion, "Version: 2.2.12.0") == 0);

    char comm[64] = "";
    FILE* self = fopen("/proc/self/comm", "r");
    if (self != NULL) {
        if (fgets(comm, sizeof comm, self) != NULL) {
            comm[strcspn(comm, "\n")] = '\0';
        }
        fclose(self);
    }
    failures += CHECK(isThisProcessRunning(getpid(), comm) == 1);
    return failures;
}
