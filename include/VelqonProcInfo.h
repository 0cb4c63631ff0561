// VelqonProcInfo.h - process identity, resource use and the library version.
//
// A LnxProcInfo object is not guarded: one thread at a time may update or read it.
#ifndef VELQON_PROCINFO_H
#define VELQON_PROCINFO_H

#include <sys/time.h>
#include <sys/types.h>
#include <time.h>

#define VELQON_API __attribute__((visibility("default")))

// Abstract record of one process. The shape is fixed: the virtual table (the two destructors,
// then Update) and the member order are relied on by existing code.
class VELQON_API ProcInfo {
public:
    // m_nType = 0, m_nPid = -1.
    ProcInfo();
    // Nothing to release.
    virtual ~ProcInfo();
    // Refreshes the resource figures; returns 0 on success, -1 on failure.
    virtual int Update() = 0;

    int m_nType;  // 0 here, 102 in a LnxProcInfo
    int m_nPid;   // -1 until an identity query fills it
};

// The calling process's identifiers and resource use on Linux. The shape is fixed: members in
// this order after those of ProcInfo, type tag 102.
class VELQON_API LnxProcInfo : public ProcInfo {
public:
    // Sets the type tag to 102, m_nPid to -1, every identifier and resource field and
    // m_tUpdated to 0, and m_tCreated to the current time. Reads neither identifiers nor
    // resource use.
    LnxProcInfo();
    // Nothing to release.
    ~LnxProcInfo() override;
    // Reads getrusage(RUSAGE_SELF), stamps m_tUpdated with the current time and copies the
    // eight figures below; the rest of the system's record is dropped. Returns getrusage's
    // result: 0, or -1 when it failed, in which case the copied figures mean nothing.
    int Update() override;
    // Fills m_nPid, m_nUid and m_nGid from getpid, getuid and getgid, in that order. Cannot
    // fail.
    void GetId();

    uid_t m_nUid;                 // real user identifier; 0 until GetId
    gid_t m_nGid;                 // real group identifier; 0 until GetId
    timeval m_userTime;           // ru_utime
    timeval m_systemTime;         // ru_stime
    long m_nMinorFaults;          // ru_minflt
    long m_nMajorFaults;          // ru_majflt
    long m_nSwaps;                // ru_nswap
    long m_nInvoluntarySwitches;  // ru_nivcsw
    time_t m_tCreated;            // wall-clock seconds at construction
    time_t m_tUpdated;            // wall-clock seconds of the last Update; 0 before the first
};

// "Version: 2.2.12.0" and its terminating zero. Writable because existing code declares it so;
// the library itself never reads it.
extern VELQON_API char szVelqonVersion[18];

#undef VELQON_API
#endif  // VELQON_PROCINFO_H
