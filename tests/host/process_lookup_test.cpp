#include <limits.h>
#include <sched.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "VelqonProcess.h"
#include "processes.h"

namespace {

namespace fs = std::filesystem;

// A scan that meets a process exiting returns 0, so a count is asked for again a bounded number
// of times, until a scan runs through.
int countRunning(std::string const& name) {
    int count = 0;
    for (int attempt = 0; attempt < 200 && count == 0; ++attempt) {
        count = isProcessRunning(name.c_str());
    }
    return count;
}

// What `pgrep -x` counts for `name`, or -1 when pgrep is not there.
int pgrepCount(std::string const& name) {
    FILE* pipe = popen(("pgrep -c -x " + name + " 2>/dev/null").c_str(), "r");
    int count = -1;
    if (pipe != nullptr && fscanf(pipe, "%d", &count) != 1) {
        count = -1;
    }
    if (pipe != nullptr) {
        pclose(pipe);
    }
    return count;
}

// Forks `count` children named `name`; each is stopped once it has taken the name, and is
// killed with this process at the latest.
std::vector<pid_t> startNamedChildren(std::string const& name, int count) {
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            prctl(PR_SET_NAME, name.c_str());
            raise(SIGSTOP);
            _exit(0);
        }
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, WUNTRACED) == pid && WIFSTOPPED(status)) {
            pids.push_back(pid);
        }
    }
    return pids;
}

// Makes `root` this child's root directory; in a user namespace of its own when not
// privileged. Returns false, with the reason on `out`, where that is refused.
bool enterRoot(fs::path const& root, FILE* out) {
    if (chroot(root.c_str()) != 0 && (unshare(CLONE_NEWUSER) != 0 || chroot(root.c_str()) != 0)) {
        fprintf(out, "chroot refused: %m");
        return false;
    }
    return chdir("/") == 0;
}

}  // namespace

// Three processes of one name (the kernel keeps 15 characters of it) are counted as pgrep
// counts them, and vanish from the count once reaped.
TEST(IsProcessRunningTest, CountsProcessesOfOneName) {
    const std::string name = "vqhost" + std::to_string(getpid());
    EXPECT_EQ(0, isProcessRunning(name.c_str()));
    const std::vector<pid_t> children = startNamedChildren(name, 3);
    int const counted = countRunning(name);
    int const pgrep = pgrepCount(name);
    for (pid_t pid : children) {
        kill(pid, SIGKILL);
    }
    for (pid_t pid : children) {
        waitpid(pid, nullptr, 0);
    }
    ASSERT_EQ(3u, children.size());
    EXPECT_EQ(3, counted);
    if (pgrep >= 0) {
        EXPECT_EQ(pgrep, counted);
    }
    EXPECT_EQ(0, isProcessRunning(name.c_str()));
}

// The scan in a root directory of known content. Without /proc the count is 0 and perror says
// why on standard error. Then only entries starting with 1 to 9 count, files are cut at 4096
// bytes, empty files are skipped, a missing Name matches "", and a vanished process ends the
// whole scan with 0. The tree is removed at the end.
TEST(IsProcessRunningTest, FollowsTheScanRulesOnAKnownTable) {
    char pattern[] = "/tmp/velqon-host-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    const fs::path root = pattern;
    const std::shared_ptr<void> removeTree(nullptr, [&root](void*) {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    });
    ChildRun run = RunInChild(
        2, [&root] { return enterRoot(root, stderr) ? isProcessRunning("fake") : kChildSkipped; });
    if (run.exitCode == kChildSkipped) {
        GTEST_SKIP() << run.output;
    }
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("opendir: No such file or directory\n", run.output);

    const std::pair<char const*, std::string> files[] = {
        {"123", "Name:\tfake\nState:\tS (sleeping)\n"},
        {"456", "Name:\tfake\n"},
        {"9001", "Name:\tfake\n"},
        {"789", "Name:\tother\n"},
        {"321", ""},
        {"654", "State:\tR (running)\n"},
        {"555", std::string(4095, 'x') + "\nName:\tfake\n"},
    };
    for (auto const& file : files) {
        fs::create_directories(root / "proc" / file.first);
        std::ofstream(root / "proc" / file.first / "status") << file.second;
    }
    fs::create_directories(root / "proc/0");
    fs::create_directories(root / "proc/self");
    auto const lookups = [&root] {
        enterRoot(root, stdout);
        printf("fake=%d empty=%d 123=%d,%d 321=%d 654=%d 999=%d", isProcessRunning("fake"),
               isProcessRunning(""), isThisProcessRunning(123, "fake"),
               isThisProcessRunning(123, "other"), isThisProcessRunning(321, ""),
               isThisProcessRunning(654, ""), isThisProcessRunning(999, "fake"));
        return 0;
    };
    EXPECT_EQ("fake=3 empty=2 123=1,0 321=0 654=1 999=0", RunInChild(1, lookups).output);
    fs::create_directories(root / "proc/999");
    EXPECT_EQ("fake=0 empty=0 123=1,0 321=0 654=1 999=0", RunInChild(1, lookups).output);
}

// One process is checked by identifier and exact name.
TEST(IsThisProcessRunningTest, ChecksOneProcess) {
    std::string ownName;
    std::getline(std::ifstream("/proc/self/comm"), ownName);
    EXPECT_EQ(1, isThisProcessRunning(getpid(), ownName.c_str()));
    EXPECT_EQ(0, isThisProcessRunning(getpid(), (ownName + "x").c_str()));
    EXPECT_EQ(0, isThisProcessRunning(getpid(), ownName.substr(1).c_str()));
    EXPECT_EQ(0, isThisProcessRunning(INT_MAX, ownName.c_str()));
}
