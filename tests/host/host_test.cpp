// The host queries beyond HashStatus (the hash_status fuzz target). This executable's own ioctl,
// which the library calls, answers from fake interfaces (named if0, if1, ...).
#include <errno.h>
#include <net/if.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <random>
#include <sstream>
#include <tuple>

#include "VelqonProcInfo.h"
#include "VelqonProcess.h"
#include "VelqonThread.h"
#include "crc32_paths.h"
#include "processes.h"
#include "temp_dir.h"

namespace {

using FakeInterface = std::pair<int, std::array<unsigned char, 6>>;  // family, address
std::vector<FakeInterface> fakes;
unsigned long failingRequest = 0;           // answered with ENODEV
unsigned long const kNoDescriptorLeft = 1;  // a failing "request": the socket cannot open

}  // namespace

extern "C" int ioctl(int descriptor, unsigned long request, ...) noexcept {
    va_list arguments;
    va_start(arguments, request);
    void* const argument = va_arg(arguments, void*);
    va_end(arguments);
    if (request == failingRequest || descriptor < 0) {
        errno = descriptor < 0 ? EBADF : ENODEV;
        return -1;
    }
    auto* const list = static_cast<ifconf*>(argument);
    auto* const record = static_cast<ifreq*>(argument);
    for (size_t i = 0; i < fakes.size() && request == SIOCGIFCONF; ++i) {
        strcpy(list->ifc_req[i].ifr_name, ("if" + std::to_string(i)).c_str());
        list->ifc_req[i].ifr_addr.sa_family = fakes[i].first;
        list->ifc_len = (i + 1) * sizeof(ifreq);
    }
    if (request == SIOCGIFHWADDR) {
        memcpy(record->ifr_hwaddr.sa_data, fakes.at(atoi(record->ifr_name + 2)).second.data(), 6);
    }
    return 0;
}

// Every engine, and Portable_crc32's choice, is zlib's CRC at every length to 1 KiB and alignment.
TEST(PortableCrc32Test, EveryEngineMatchesZlib) {
    std::mt19937 random(20261206);
    std::vector<unsigned char> buffer(70000);
    std::generate(buffer.begin(), buffer.end(), std::ref(random));
    char* const whole = reinterpret_cast<char*>(buffer.data());
    EXPECT_EQ(crc32(0L, buffer.data(), 70000), Portable_crc32(whole, 70000));
    EXPECT_EQ(0u, Portable_crc32(nullptr, 0));
    namespace engines = velqon_internal;
    std::pair<bool, engines::Crc32Function> const all[] = {
        {true, engines::Crc32Table},
        {engines::ProcessorHasClmul(), engines::Crc32Clmul},
        {engines::ProcessorHasVpclmul(), engines::Crc32Vpclmul}};
    for (auto const& engine : all) {  // an engine the processor lacks is left out
        for (size_t i = 0; engine.first && i <= 1024 + 64; ++i) {
            size_t const length = i <= 1024 ? i : buffer.size() - 64 - random() % 4096;
            unsigned char const* start = buffer.data() + i % 64;
            EXPECT_EQ(crc32(0L, start, static_cast<uInt>(length)), engine.second(start, length))
                << "engine " << &engine - all << " offset " << i % 64 << " length " << length;
        }
    }
}

// The first IPv4 interface with a non-zero address answers; a failed query prints why, gives 0.
TEST(GetMACAddressTest, WalksTheInterfaceList) {
    FakeInterface const loopback = {AF_INET, {0, 0, 0, 0, 0, 0}};
    FakeInterface const ether = {AF_INET, {0, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}};
    std::tuple<std::vector<FakeInterface>, unsigned long, char const*> const rows[] = {
        {{loopback, {AF_INET6, {1, 2, 3, 4, 5, 6}}, ether, {AF_INET, {1}}}, 0, "12 001a2b3c4d5e"},
        {{loopback}, 0, "0 ##############"},
        {{ether}, SIOCGIFCONF, "ioctl(SIOCGIFCONF): No such device\n0 ##############"},
        {{loopback, ether}, SIOCGIFHWADDR, "SIOCGIFHWADDR(if0): No such device\n0 ##############"},
        {{ether}, kNoDescriptorLeft, "ioctl(SIOCGIFCONF): Bad file descriptor\n0 ##############"},
    };
    auto const query = [] {
        rlimit limit;
        getrlimit(RLIMIT_NOFILE, &limit);
        rlimit const noneLeft = {static_cast<rlim_t>(dup(0)), limit.rlim_max};
        setrlimit(RLIMIT_NOFILE, failingRequest == kNoDescriptorLeft ? &noneLeft : &limit);
        char address[15] = "##############";
        int const written = GetMACAddress(address, 14);
        setrlimit(RLIMIT_NOFILE, &limit);  // room for the profile the exit writes
        return printf("%d %s", written, address) < 0;
    };
    for (auto const& [interfaces, failing, expected] : rows) {
        fakes = interfaces;  // the child inherits them
        failingRequest = failing;
        EXPECT_EQ(expected, RunInChild(1, query).output);
    }
}

// A fresh object knows only its type and creation time; GetId and Update fill the rest.
TEST(LnxProcInfoTest, FillsIdentityAndUsageOnRequest) {
    time_t const before = time(nullptr);
    LnxProcInfo info;
    EXPECT_TRUE(info.m_nType == 102 && info.m_nPid == -1 && info.m_nUid == 0 && info.m_nGid == 0 &&
                info.m_tUpdated == 0 && info.m_nMinorFaults == 0 && before <= info.m_tCreated &&
                info.m_tCreated <= time(nullptr));
    info.GetId();
    EXPECT_EQ(0, static_cast<ProcInfo&>(info).Update());
    EXPECT_TRUE(info.m_nPid == getpid() && info.m_nUid == getuid() && info.m_nGid == getgid() &&
                info.m_tCreated <= info.m_tUpdated && info.m_nMinorFaults > 0);
    EXPECT_STREQ("Version: 2.2.12.0", szVelqonVersion);
}

// A /proc of known content: no /proc, the digit rule, 4096 bytes, no Name, a vanished process.
TEST(IsProcessRunningTest, FollowsTheScanRulesOnAKnownTable) {
    TempDir dir;
    ChildRun const run = RunInChild(1, [&dir] {
        int const outside = open("/", O_RDONLY | O_DIRECTORY);
        if (chroot(dir.Path().c_str()) != 0 || chdir("/") != 0) {
            printf("chroot refused: %m");  // a caller without the privilege
            return kChildSkipped;
        }
        dup2(1, 2);  // perror's message in order with the counts
        printf("%d\n", isProcessRunning("fake"));
        std::string const fake = "Name:\tfake\n";
        // Only 123, 456 and 9001 count as "fake": 555's Name starts at byte 4096, after those read.
        std::istringstream tree("123:" + fake + "State:\tS (sleeping)\n|456:" + fake + "|9001:" +
                                fake + "|0:" + fake + "|self:" + fake + "|789:Name:\tother\n|321:" +
                                "|654:State:\tR\n|555:Pad:" + std::string(4091, 'x') + "\n" + fake);
        for (std::string file; std::getline(tree, file, '|');) {
            std::string const directory = "/proc/" + file.substr(0, file.find(':'));
            std::filesystem::create_directories(directory);
            std::ofstream(directory + "/status") << file.substr(file.find(':') + 1);
        }
        for (int round = 0; round < 2; ++round) {
            printf("fake=%d empty=%d 123=%d,%d 321=%d 654=%d 999=%d\n", isProcessRunning("fake"),
                   isProcessRunning(""), isThisProcessRunning(123, "fake"),
                   isThisProcessRunning(123, "other"), isThisProcessRunning(321, ""),
                   isThisProcessRunning(654, ""), isThisProcessRunning(999, "fake"));
            std::filesystem::create_directories("/proc/999");  // listed, without a status file
        }
        // Back to the real root, where the child's exit writes its coverage profile.
        return fchdir(outside) == 0 && chroot(".") == 0 ? 0 : 1;
    });
    if (run.exitCode == kChildSkipped) {
        GTEST_SKIP() << run.output;
    }
    EXPECT_EQ(
        "opendir: No such file or directory\n0\nfake=3 empty=2 123=1,0 321=0 654=1 999=0\n"
        "fake=0 empty=0 123=1,0 321=0 654=1 999=0\n",
        run.output);
}
