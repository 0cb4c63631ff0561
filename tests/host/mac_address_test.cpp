#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "VelqonProcess.h"
#include "processes.h"

namespace {

// Runs a shell command quietly; true when it succeeded.
bool shell(std::string const& command) {
    return system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

// In this child's own, empty network namespace, with IPv6 off so that bringing interfaces up
// sends nothing anywhere: prints the answer with only loopback up, then with an interface of
// address 00:1a:2b:3c:4d:5e added after it. Dummy interfaces need a kernel module some hosts
// lack; a veth pair serves as well.
int queryInPrivateNetwork() {
    if (unshare(CLONE_NEWNET) != 0) {
        printf("network namespace refused: %m");
        return kChildSkipped;
    }
    shell("echo 1 > /proc/sys/net/ipv6/conf/all/disable_ipv6");
    shell("echo 1 > /proc/sys/net/ipv6/conf/default/disable_ipv6");
    if (!shell("ip link set lo up")) {
        printf("the ip command is missing or failed");
        return kChildSkipped;
    }
    char address[14];
    int const loopbackOnly = GetMACAddress(address, sizeof address);
    if (!shell(
            "ip link add vqtest0 type dummy || ip link add vqtest0 type veth peer name vqtest1") ||
        !shell("ip link set vqtest0 address 00:1a:2b:3c:4d:5e && "
               "ip addr add 192.0.2.1/24 dev vqtest0 && ip link set vqtest0 up")) {
        printf("cannot create a test interface");
        return kChildSkipped;
    }
    memset(address, '#', sizeof address);
    int const written = GetMACAddress(address, sizeof address);
    printf("%d %d %s", loopbackOnly, written, address[12] == '\0' ? address : "unterminated");
    return 0;
}

}  // namespace

// A buffer below 14 bytes is refused before anything is looked at.
TEST(GetMACAddressTest, RefusesSmallBuffers) {
    char address[16];
    memset(address, '#', sizeof address);
    EXPECT_EQ(-1, GetMACAddress(address, 13));
    EXPECT_EQ(std::string(16, '#'), std::string(address, sizeof address));
}

// Loopback's zero address is passed over, a first byte of zero is not, and loopback alone
// gives 0.
TEST(GetMACAddressTest, SkipsZeroAddressesInAPrivateNetwork) {
    const ChildRun run = RunInChild(1, queryInPrivateNetwork);
    if (run.exitCode == kChildSkipped) {
        GTEST_SKIP() << run.output;
    }
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("0 12 001a2b3c4d5e", run.output);
}

// A failed interface-list query prints its message with the system's error text and gives 0.
// With no descriptor left the socket cannot open, so the query meets a bad descriptor.
TEST(GetMACAddressTest, ReportsAFailedInterfaceQuery) {
    const ChildRun run = RunInChild(1, [] {
        const int lowestFree = dup(0);
        close(lowestFree);
        const rlimit limit = {static_cast<rlim_t>(lowestFree), static_cast<rlim_t>(lowestFree)};
        setrlimit(RLIMIT_NOFILE, &limit);
        char address[14];
        return GetMACAddress(address, sizeof address);
    });
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("ioctl(SIOCGIFCONF): Bad file descriptor\n", run.output);
}
