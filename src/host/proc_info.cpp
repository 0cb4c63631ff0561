// ProcInfo and LnxProcInfo: the calling process's identifiers and resource use.
#include <sys/resource.h>
#include <unistd.h>

#include "VelqonProcInfo.h"

namespace {

int const kLinuxType = 102;

}  // namespace

ProcInfo::ProcInfo() : m_nType(0), m_nPid(-1) {}

ProcInfo::~ProcInfo() {}

LnxProcInfo::LnxProcInfo()
    : m_nUid(0),
      m_nGid(0),
      m_userTime(),
      m_systemTime(),
      m_nMinorFaults(0),
      m_nMajorFaults(0),
      m_nSwaps(0),
      m_nInvoluntarySwitches(0),
      m_tCreated(time(nullptr)),
      m_tUpdated(0) {
    m_nType = kLinuxType;
}

LnxProcInfo::~LnxProcInfo() {}

int LnxProcInfo::Update() {
    rusage usage;
    int const result = getrusage(RUSAGE_SELF, &usage);
    m_tUpdated = time(nullptr);
    m_userTime = usage.ru_utime;
    m_systemTime = usage.ru_stime;
    m_nMinorFaults = usage.ru_minflt;
    m_nMajorFaults = usage.ru_majflt;
    m_nSwaps = usage.ru_nswap;
    m_nInvoluntarySwitches = usage.ru_nivcsw;
    return result;
}

void LnxProcInfo::GetId() {
    m_nPid = getpid();
    m_nUid = getuid();
    m_nGid = getgid();
}
