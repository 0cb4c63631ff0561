// workers: runs a batch of checksum jobs on worker threads and reports each job as it finishes.
//
// Each worker owns a manual-reset "done" event that it sets when its result is ready. The main
// thread waits for any of those events with WaitForMultipleObjects, reports the finished job and
// takes its event out of the wait (a null entry is skipped), until every job is in; then it joins
// each thread and closes its handle.
//
// Why not wait on CPortableThread::Handle()? A thread's completion event is auto-reset and is set
// once, as the thread function returns: a pulse that only a wait already registered at that
// moment sees. A worker that finishes before the main thread gets back into
// WaitForMultipleObjects would be missed and the wait would hang. A manual-reset event stays set
// until it is reset, so a job that finishes early is found at the next wait.
#include "VelqonWin32.h"  // the Win32 names this code was written with: HANDLE, DWORD, INFINITE

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Generous bound for one job; a wait that reaches it means a lost wake-up, not a slow machine.
static const DWORD kJobTimeoutMs = 60000;
static int const kWorkerCount = 4;

struct Job {
    int nIndex;
    unsigned int nBytes;  // size of the buffer to checksum
    unsigned int dwCrc;   // result, valid once hDone is set
    HANDLE hDone;         // manual-reset: set by the worker when dwCrc is ready
};

// Checksums a buffer of the job's size filled with a pattern derived from the job's index.
static void* ChecksumWorker(void* pParam) {
    Job* pJob = static_cast<Job*>(pParam);
    char* pBuffer = new char[pJob->nBytes];
    for (unsigned int i = 0; i < pJob->nBytes; i++) {
        pBuffer[i] = static_cast<char>((i * 31 + pJob->nIndex) & 0xFF);
    }
    pJob->dwCrc = Portable_crc32(pBuffer, pJob->nBytes);
    delete[] pBuffer;
    SetPortableEvent(pJob->hDone);
    return NULL;
}

int main() {
    Job jobs[kWorkerCount];
    HANDLE hThreads[kWorkerCount];
    HANDLE hWaitList[kWorkerCount];

    for (int i = 0; i < kWorkerCount; i++) {
        jobs[i].nIndex = i;
        jobs[i].nBytes = (i + 1) * 1024 * 1024;
        jobs[i].dwCrc = 0;
        jobs[i].hDone = CreatePortableEvent(NULL, 1 /* manual reset */, 0, NULL);
        hWaitList[i] = jobs[i].hDone;
    }

    for (int i = 0; i < kWorkerCount; i++) {
        char szName[32];
        snprintf(szName, sizeof szName, "checksum-%d", i);
        unsigned int nThreadId = 0;
        hThreads[i] = _beginthreadex(szName, 0, ChecksumWorker, &jobs[i], 0, &nThreadId);
        if (nThreadId == 0) {
            fprintf(stderr, "workers: could not start %s\n", szName);
            return 1;
        }
    }
    printf("workers: %d checksum jobs started\n", kWorkerCount);

    int nFinished = 0;
    while (nFinished < kWorkerCount) {
        DWORD dwResult =
            WaitForMultipleObjects(kWorkerCount, hWaitList, 0 /* any */, kJobTimeoutMs);
        if (dwResult == WAIT_TIMEOUT || dwResult >= static_cast<DWORD>(kWorkerCount) ||
            hWaitList[dwResult] == NULL) {
            fprintf(stderr, "workers: wait failed (%u) with %d jobs outstanding\n", dwResult,
                    kWorkerCount - nFinished);
            return 1;
        }
        Job& job = jobs[dwResult];
        hWaitList[dwResult] = NULL;  // reported; leave it out of the next waits
        nFinished++;
        printf("workers: [%d/%d] job %d: %u MiB, CRC-32 %08x\n", nFinished, kWorkerCount,
               job.nIndex, job.nBytes / (1024 * 1024), job.dwCrc);
    }

    int nErrors = 0;
    for (int i = 0; i < kWorkerCount; i++) {
        if (WaitForPortableThread(hThreads[i], INFINITE) != 0) {
            fprintf(stderr, "workers: thread %d did not end\n", i);
            nErrors++;
        }
        ClosePortableThread(hThreads[i]);
        ClosePortableEvent(jobs[i].hDone);
    }
    printf("workers: all %d jobs done\n", kWorkerCount);
    return nErrors == 0 ? 0 : 1;
}
