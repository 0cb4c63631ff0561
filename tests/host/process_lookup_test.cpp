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
#include "child_run.h"

namespace {

namespace fs = std::filesystem;

// A process name no other process has: the kernel keeps 15 characters.
std::string uniqueName() {
    return "vqhost" + std::to_string(getpid());
}

// A scan that meets a process exiting returns 0, so a count is asked for again a bounded number
// of times, until a scan runs through.
int countRunning(const std::string& name) {
    int count = 0;
    for (int attempt = 0; attempt < 200 && count == 0; ++attempt)
        count = isProcessRunning(name.c_str());
    return count;
}

// What `pgrep -x` counts for `name`, or -1 when pgrep is not there.
int pgrepCount(const std::string& name) {
    FILE* pipe = popen(("pgrep -c -x " + name + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    int count = -1;
    if (fscanf(pipe, "%d", &count) != 1)
        count = -1;
    pclose(pipe);
    return count;
}

// Forked children named `name`, killed and reaped when this goes out of scope.
class NamedChildren {
public:
    NamedChildren(const std::string& name, int count) {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                prctl(PR_SET_NAME, name.c_str());
                (void)!write(ready[1], "x", 1);
                for (;;)
                    pause();
            }
            if (pid > 0)
                pids_.push_back(pid);
        }
        close(ready[1]);
        char byte;
        for (size_t i = 0; i < pids_.size() && read(ready[0], &byte, 1) == 1; ++i) {
        }
        close(ready[0]);
    }
    ~NamedChildren() { Stop(); }
    void Stop() {
        for (pid_t pid : pids_)
            kill(pid, SIGKILL);
        for (pid_t pid : pids_)
            waitpid(pid, nullptr, 0);
        pids_.clear();
    }
    size_t size() const { return pids_.size(); }

private:
    std::vector<pid_t> pids_;
};

// A directory tree under /tmp, removed with everything in it at the end of the test.
class TempTree {
public:
    TempTree() {
        char pattern[] = "/tmp/velqon-host-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            root_ = pattern;
    }
    ~TempTree() {
        std::error_code ignored;
        if (!root_.empty())
            fs::remove_all(root_, ignored);
    }
    const fs::path& root() const { return root_; }
    void Write(const std::string& relative, const std::string& content) {
        fs::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative) << content;
    }

private:
    fs::path root_;
};

// Makes `root` this child's root directory; in a user namespace of its own when not
// privileged. Returns false, with the reason on `out`, where that is refused.
bool enterRoot(const fs::path& root, FILE* out) {
    if (chroot(root.c_str()) != 0 && (unshare(CLONE_NEWUSER) != 0 || chroot(root.c_str()) != 0)) {
        fprintf(out, "chroot refused: %m");
        return false;
    }
    return chdir("/") == 0;
}

}  // namespace

// Three processes of one name are counted as pgrep counts them, and vanish from the count once
// reaped.
TEST(IsProcessRunningTest, CountsProcessesOfOneName) {
    const std::string name = uniqueName();
    EXPECT_EQ(0, isProcessRunning(name.c_str()));
    NamedChildren children(name, 3);
    ASSERT_EQ(3u, children.size());
    const int counted = countRunning(name);
    EXPECT_EQ(3, counted);
    const int pgrep = pgrepCount(name);
    if (pgrep >= 0) {
        EXPECT_EQ(pgrep, counted);
    }
    children.Stop();
    EXPECT_EQ(0, countRunning(name));
}

// The scan's rules on a /proc of known content: only entries starting with 1 to 9, files cut at
// 4096 bytes, empty files skipped, a missing Name matching "", and a vanished process ending
// the whole scan with 0.
TEST(IsProcessRunningTest, FollowsTheScanRulesOnAKnownTable) {
    TempTree tree;
    ASSERT_FALSE(tree.root().empty());
    tree.Write("proc/123/status", "Name:\tfake\nState:\tS (sleeping)\n");
    tree.Write("proc/456/status", "Name:\tfake\n");
    tree.Write("proc/9001/status", "Name:\tfake\n");
    tree.Write("proc/789/status", "Name:\tother\n");
    tree.Write("proc/321/status", "");
    tree.Write("proc/654/status", "State:\tR (running)\n");
    tree.Write("proc/555/status", std::string(4095, 'x') + "\nName:\tfake\n");
    fs::create_directories(tree.root() / "proc/0");
    fs::create_directories(tree.root() / "proc/self");
    const auto lookups = [&tree] {
        if (!enterRoot(tree.root(), stdout))
            return kChildSkipped;
        printf("fake=%d empty=%d 123=%d,%d 321=%d 654=%d 999=%d", isProcessRunning("fake"),
               isProcessRunning(""), isThisProcessRunning(123, "fake"),
               isThisProcessRunning(123, "other"), isThisProcessRunning(321, ""),
               isThisProcessRunning(654, ""), isThisProcessRunning(999, "fake"));
        return 0;
    };
    ChildRun run = runInChild(1, lookups);
    if (run.exitCode == kChildSkipped)
        GTEST_SKIP() << run.output;
    EXPECT_EQ("fake=3 empty=2 123=1,0 321=0 654=1 999=0", run.output);

    fs::create_directories(tree.root() / "proc/999");
    run = runInChild(1, lookups);
    EXPECT_EQ("fake=0 empty=0 123=1,0 321=0 654=1 999=0", run.output);
}

// Without a readable /proc the count is 0 and perror says why on standard error.
TEST(IsProcessRunningTest, ReportsAMissingProcDirectory) {
    TempTree tree;
    ASSERT_FALSE(tree.root().empty());
    const ChildRun run = runInChild(2, [&tree] {
        if (!enterRoot(tree.root(), stderr))
            return kChildSkipped;
        return isProcessRunning("fake");
    });
    if (run.exitCode == kChildSkipped)
        GTEST_SKIP() << run.output;
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("opendir: No such file or directory\n", run.output);
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
