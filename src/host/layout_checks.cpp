// Compile-time checks of the fixed layouts of the host subsystem.
#include <net/if.h>
#include <stddef.h>

#include "VelqonProcInfo.h"

// offsetof on these polymorphic classes is conditionally supported; g++ gives the plain
// answer, which is what the checks want.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

static_assert(sizeof(ProcInfo) == 16, "ProcInfo: virtual table pointer, type tag, pid");
static_assert(offsetof(ProcInfo, m_nType) == 8, "ProcInfo::m_nType follows the table pointer");
static_assert(offsetof(ProcInfo, m_nPid) == 12, "ProcInfo::m_nPid");

static_assert(sizeof(LnxProcInfo) == 104, "LnxProcInfo: ProcInfo then eleven fields");
static_assert(offsetof(LnxProcInfo, m_nUid) == 16, "LnxProcInfo::m_nUid");
static_assert(offsetof(LnxProcInfo, m_nGid) == 20, "LnxProcInfo::m_nGid");
static_assert(offsetof(LnxProcInfo, m_userTime) == 24, "LnxProcInfo::m_userTime");
static_assert(offsetof(LnxProcInfo, m_systemTime) == 40, "LnxProcInfo::m_systemTime");
static_assert(offsetof(LnxProcInfo, m_nMinorFaults) == 56, "LnxProcInfo::m_nMinorFaults");
static_assert(offsetof(LnxProcInfo, m_nMajorFaults) == 64, "LnxProcInfo::m_nMajorFaults");
static_assert(offsetof(LnxProcInfo, m_nSwaps) == 72, "LnxProcInfo::m_nSwaps");
static_assert(offsetof(LnxProcInfo, m_nInvoluntarySwitches) == 80,
              "LnxProcInfo::m_nInvoluntarySwitches");
static_assert(offsetof(LnxProcInfo, m_tCreated) == 88, "LnxProcInfo::m_tCreated");
static_assert(offsetof(LnxProcInfo, m_tUpdated) == 96, "LnxProcInfo::m_tUpdated");

#pragma GCC diagnostic pop

// GetMACAddress sizes its 2560-byte interface list in records of this size.
static_assert(sizeof(ifreq) == 40, "interface request record");

static_assert(sizeof(szVelqonVersion) == 18, "version text and its terminating zero");
