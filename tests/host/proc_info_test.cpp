#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "VelqonProcInfo.h"

// A fresh object knows nothing but its type and creation time; GetId and Update fill the rest.
TEST(LnxProcInfoTest, FillsIdentityAndUsageOnRequest) {
    const time_t before = time(nullptr);
    LnxProcInfo info;
    EXPECT_EQ(102, info.m_nType);
    EXPECT_EQ(-1, info.m_nPid);
    EXPECT_EQ(0u, info.m_nUid);
    EXPECT_EQ(0, info.m_tUpdated);
    EXPECT_EQ(0, info.m_nMinorFaults);
    EXPECT_LE(before, info.m_tCreated);
    EXPECT_GE(time(nullptr), info.m_tCreated);
    info.GetId();
    EXPECT_EQ(getpid(), info.m_nPid);
    EXPECT_EQ(getuid(), info.m_nUid);
    EXPECT_EQ(getgid(), info.m_nGid);
    EXPECT_EQ(0, static_cast<ProcInfo&>(info).Update());
    EXPECT_LE(info.m_tCreated, info.m_tUpdated);
    EXPECT_LT(0, info.m_nMinorFaults);  // this process has touched fresh pages by now
}

// The exported version text.
TEST(VersionTest, ReadsTheReleaseNumber) {
    EXPECT_STREQ("Version: 2.2.12.0", szVelqonVersion);
}
