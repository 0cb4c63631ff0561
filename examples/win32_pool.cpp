// win32_pool: a Windows-style worker pool, built with the porting kit unchanged but for its
// include line (VelqonWin32.h stands where <windows.h>, <process.h> and <afx.h> stood).
//
// Four workers take numbered jobs from a shared counter (InterlockedIncrement), checksum a buffer
// generated for each job and append one line per job to a log file (CStdioFile) under a critical
// section. A worker sets its manual-reset "done" event when no job is left. The main thread waits
// for the workers with WaitForMultipleObjects(..., INFINITE), reporting each one as it finishes
// (WAIT_OBJECT_0 + index), then reads the log back and checks that every job is there with the
// checksum the main thread computes itself.
//
// What the port relies on (docs/PORTING.md): the waits are on events, never on thread handles,
// which are not waitable objects here; the done events are manual-reset, so a worker that ends
// before the main thread waits again is still seen. CloseHandle is not part of the kit: the
// program ends right after the workers, and the process end releases their handles.
#include "VelqonWin32.h"

#include <stdio.h>
#include <stdlib.h>

#define NUM_WORKERS 4
#define NUM_JOBS 40

static volatile LONG g_lNextJob = -1;
static CRITICAL_SECTION g_csLog;
static CStdioFile g_logFile;
static HANDLE g_hDone[NUM_WORKERS];

// FNV-1a over the job's buffer: 4096 bytes derived from the job number.
static DWORD JobChecksum(int nJob) {
    DWORD dwHash = 2166136261u;
    for (int i = 0; i < 4096; i++) {
        dwHash = (dwHash ^ static_cast<BYTE>(i * 7 + nJob * 13)) * 16777619u;
    }
    return dwHash;
}

static unsigned __stdcall WorkerProc(LPVOID pParam) {
    int const nWorker = static_cast<int>(reinterpret_cast<UINT_PTR>(pParam));
    for (;;) {
        LONG const lJob = InterlockedIncrement(&g_lNextJob);
        if (lJob >= NUM_JOBS) {
            break;
        }
        CString strLine;
        strLine.Format(_T("job %d worker %d checksum %08x\n"), static_cast<int>(lJob), nWorker,
                       JobChecksum(lJob));
        EnterCriticalSection(&g_csLog);
        g_logFile.WriteString(strLine);
        LeaveCriticalSection(&g_csLog);
    }
    SetEvent(g_hDone[nWorker]);
    return 0;
}

int _tmain() {
    char const* pszTemp = getenv("TMPDIR");
    CString strLogPath;
    strLogPath.Format(_T("%s/win32_pool-%u.log"), pszTemp != NULL ? pszTemp : "/tmp",
                      static_cast<unsigned>(GetCurrentProcessId()));
    CFileException ex;
    if (!g_logFile.Open(strLogPath, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite,
                        &ex)) {
        ex.ReportError();
        return 1;
    }
    InitializeCriticalSection(&g_csLog);
    CTime const tStart = CTime::GetCurrentTime();
    DWORD const dwStartTicks = GetTickCount();

    for (int i = 0; i < NUM_WORKERS; i++) {
        g_hDone[i] = CreateEvent(NULL, TRUE, FALSE, NULL);
        unsigned uThreadId = 0;
        if (_beginthreadex(NULL, 0, WorkerProc, reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(i)),
                           0, &uThreadId) == 0) {
            _tprintf(_T("win32_pool: cannot start worker %d\n"), i);
            return 1;
        }
    }
    _tprintf(_T("win32_pool: %d workers started at %s\n"), NUM_WORKERS,
             tStart.Format(_T("%H:%M:%S")).GetString());

    // Wait for any worker, report it, and leave its event out of the next wait.
    HANDLE hPending[NUM_WORKERS];
    int nIndex[NUM_WORKERS];
    for (int i = 0; i < NUM_WORKERS; i++) {
        hPending[i] = g_hDone[i];
        nIndex[i] = i;
    }
    for (DWORD dwLeft = NUM_WORKERS; dwLeft > 0; dwLeft--) {
        DWORD const dwWait = WaitForMultipleObjects(dwLeft, hPending, FALSE, INFINITE);
        if (dwWait >= WAIT_OBJECT_0 + dwLeft) {
            _tprintf(_T("win32_pool: wait failed (%u)\n"), dwWait);
            return 1;
        }
        DWORD const dwDone = dwWait - WAIT_OBJECT_0;
        _tprintf(_T("win32_pool: worker %d finished\n"), nIndex[dwDone]);
        hPending[dwDone] = hPending[dwLeft - 1];
        nIndex[dwDone] = nIndex[dwLeft - 1];
    }
    g_logFile.Close();
    DeleteCriticalSection(&g_csLog);

    // Every job once, with the right checksum.
    int nSeen[NUM_JOBS] = {0};
    int nLines = 0, nBad = 0;
    try {
        CStdioFile log(strLogPath, CFile::modeRead | CFile::typeText);
        CString strLine;
        while (log.ReadString(strLine)) {
            // "job <n> worker <w> checksum <hex>"
            CStringArray fields;
            int nPos = 0;
            CString strToken = strLine.Tokenize(_T(" "), nPos);
            while (nPos >= 0) {
                fields.Add(strToken);
                strToken = strLine.Tokenize(_T(" "), nPos);
            }
            int const nJob = fields.GetSize() == 6 ? atoi(fields[1]) : -1;
            if (nJob < 0 || nJob >= NUM_JOBS || fields[0] != _T("job")) {
                nBad++;
                continue;
            }
            CString strExpected;
            strExpected.Format(_T("%08x"), JobChecksum(nJob));
            if (fields[5] != strExpected) {
                nBad++;
                continue;
            }
            nSeen[nJob]++;
            nLines++;
        }
        log.Close();
        CFile::Remove(strLogPath);
    } catch (CFileException* e) {
        e->ReportError();
        e->Delete();
        return 1;
    }
    for (int i = 0; i < NUM_JOBS; i++) {
        if (nSeen[i] != 1) {
            nBad++;
        }
    }
    CTimeSpan const tsElapsed = CTime::GetCurrentTime() - tStart;
    _tprintf(_T("win32_pool: %d jobs logged by %d workers in %u ms (%s): %s\n"), nLines,
             NUM_WORKERS, GetTickCount() - dwStartTicks,
             tsElapsed.Format(_T("%H:%M:%S")).GetString(), nBad == 0 ? "checked, OK" : "MISMATCH");
    return nBad == 0 ? 0 : 1;
}
