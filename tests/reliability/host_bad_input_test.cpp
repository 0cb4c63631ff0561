#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <fstream>
#include <set>
#include <string>

#include "VelqonProcess.h"
#include "allocation.h"
#include "processes.h"

namespace {

using Fields = std::map<std::string, std::string>;

Fields parse(std::string const& text) {
    Fields fields;
    HashStatus(text, fields, ":", "\n");
    return fields;
}

// Reads this process's name as the kernel keeps it.
std::string ownName() {
    std::string name;
    std::getline(std::ifstream("/proc/self/comm"), name);
    return name;
}

}  // namespace

// Zero bytes, high bytes and stray separators are ordinary characters of keys and values; the
// text is not cut at a zero byte.
TEST(HashStatusBadInputTest, TakesBinaryBytesAsCharacters) {
    const std::string junk("\xff\x00k\x01:\x00v\x80\n\x7f:\t:\n", 14);
    EXPECT_EQ(
        (Fields{{std::string("\xff\x00k\x01", 4), std::string("\x00v\x80", 3)}, {"\x7f", ":"}}),
        parse(junk));
}

// Text without a complete record gives nothing, and a status without a "Name" record has no
// such key: the lookups then compare an empty value.
TEST(HashStatusBadInputTest, FindsNothingWithoutCompleteRecords) {
    EXPECT_EQ(Fields(), parse(std::string("\x00\x01\x02 \t\n", 6)));
    EXPECT_EQ(Fields(), parse("no separator here\n"));
    EXPECT_EQ(Fields(), parse("\n\n  \t:"));
    EXPECT_EQ((Fields{{"State", "R (running)"}, {"Pid", "42"}}),
              parse("State:\tR (running)\nPid:\t42\n"));
}

// Buffer sizes below 14, zero and negative ones included, are refused before anything is
// opened or written.
TEST(GetMACAddressBadInputTest, RefusesTinyBuffersWithoutTouchingThem) {
    const std::set<int> before = OpenDescriptors();
    char address[16];
    memset(address, '#', sizeof address);
    for (int size : {13, 1, 0, -1, -14, INT_MIN}) {
        EXPECT_EQ(-1, GetMACAddress(address, size)) << "size " << size;
    }
    EXPECT_EQ(std::string(sizeof address, '#'), std::string(address, sizeof address));
    EXPECT_EQ(-1, GetMACAddress(nullptr, 0));
    EXPECT_EQ(before, OpenDescriptors());
}

// Every lookup path, the ones that find nothing included, closes what it opened.
TEST(HostDescriptorTest, LookupsLeaveNoDescriptorOpen) {
    const std::string name = ownName();
    const std::set<int> before = OpenDescriptors();
    EXPECT_EQ(0, isProcessRunning("vq-no-such-process"));
    isProcessRunning(name.c_str());
    EXPECT_EQ(1, isThisProcessRunning(getpid(), name.c_str()));
    EXPECT_EQ(0, isThisProcessRunning(getpid(), "vq-wrong-name"));
    EXPECT_EQ(0, isThisProcessRunning(-1, name.c_str()));
    EXPECT_EQ(0, isThisProcessRunning(INT_MAX, name.c_str()));
    char address[14];
    int const written = GetMACAddress(address, sizeof address);
    EXPECT_TRUE(written == 0 || written == 12) << written;
    EXPECT_EQ(before, OpenDescriptors());
}

// Parsing a status file may run out of memory at any of its allocations: the exception leaves
// the lookup with the file already closed and nothing allocated.
TEST(HostDescriptorTest, FailedParseLeavesNoDescriptorOpen) {
    const std::string name = ownName();
    const std::set<int> before = OpenDescriptors();
    long const allocations = WalkAllocationFailures([&](long failAt) {
        int found = -1;
        const bool failed =
            FailsAt(failAt, [&] { found = isThisProcessRunning(getpid(), name.c_str()); });
        EXPECT_EQ(failed ? -1 : 1, found);
        EXPECT_EQ(before, OpenDescriptors()) << "allocation " << failAt;
        return failed;
    });
    // One map node and key per status line at least.
    EXPECT_LT(20, allocations);
}
