#include <limits.h>

#include <fstream>

#include "VelqonProcess.h"
#include "allocation.h"
#include "processes.h"

// Real /proc lookups, small MAC buffers, failed parse allocations: none leaves a descriptor open.
TEST(HostDescriptorTest, LookupsLeaveNoDescriptorOpen) {
    std::string name;
    std::getline(std::ifstream("/proc/self/comm"), name);
    std::set<int> const before = OpenDescriptors();
    char address[16] = "###############";
    for (int size : {13, 1, 0, -1, -14, INT_MIN}) {
        EXPECT_EQ(-1, GetMACAddress(size == 0 ? nullptr : address, size)) << "size " << size;
    }
    EXPECT_STREQ("###############", address);
    int count = 0;
    for (int attempt = 0; attempt < 200 && count == 0; ++attempt) {
        count = isProcessRunning(name.c_str());  // 0 also when a process exits during the scan
    }
    EXPECT_TRUE(count >= 1 && isProcessRunning("vq-no-such-process") == 0);
    EXPECT_EQ(1, isThisProcessRunning(getpid(), name.c_str()));
    EXPECT_EQ(0, isThisProcessRunning(getpid(), (name + "x").c_str()) +
                     isThisProcessRunning(getpid(), name.substr(1).c_str()) +
                     isThisProcessRunning(INT_MAX, name.c_str()) +
                     isThisProcessRunning(-1, name.c_str()));
    int const written = GetMACAddress(address, 14);
    EXPECT_TRUE(written == 0 || written == 12) << written;
    EXPECT_EQ(before, OpenDescriptors());
    long const allocations = WalkAllocationFailures([&](long failAt) {
        int found = -1;
        bool const failed =
            FailsAt(failAt, [&] { found = isThisProcessRunning(getpid(), name.c_str()); });
        EXPECT_TRUE(found == (failed ? -1 : 1) && before == OpenDescriptors()) << failAt;
        return failed;
    });
    EXPECT_LT(20, allocations);  // one map node and key per status line at least
}
