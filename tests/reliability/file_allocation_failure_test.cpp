#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "VelqonMFC.h"
#include "failing_allocator.h"

namespace {

// A file with no name on disk, opened through its /proc/self/fd path; closed on destruction.
class MemoryFile {
public:
    explicit MemoryFile(std::string const& contents) : fd_(memfd_create("velqon-test", 0)) {
        if (fd_ >= 0 && write(fd_, contents.data(), contents.size()) < 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

}  // namespace

// A line is gathered chunk by chunk: when an append fails, the string holds the chunks before
// it, the lost chunk stays lost, and the next call reads on after it.
TEST(StdioFileAllocationFailureTest, FailedAppendKeepsEarlierChunks) {
    const std::string first(127, 'a');
    const std::string second(127, 'b');
    const std::string third(46, 'c');
    const MemoryFile memory(first + second + third + "\nnext line\n");
    ASSERT_TRUE(memory.ok());
    long const allocations = WalkAllocationFailures([&](long failAt) {
        CPortableStdioFile file;
        EXPECT_EQ(1, file.Open(memory.path().c_str(), 0));
        CPortableString line;
        const bool failed = FailsAt(failAt, [&] { file.ReadString(line); });
        const std::string chunks[] = {first, second, third};
        std::string gathered;
        for (long i = 0; i < (failed ? failAt - 1 : 3); ++i) {
            gathered += chunks[i];
        }
        EXPECT_EQ(gathered, std::string(line)) << "allocation " << failAt;
        // The next call goes on after the lost chunk, to the end of that line.
        std::string rest = "next line";
        if (failed && failAt < 3) {
            rest.clear();
            for (long i = failAt; i < 3; ++i) {
                rest += chunks[i];
            }
        }
        EXPECT_EQ(1, file.ReadString(line));
        EXPECT_EQ(rest, std::string(line)) << "allocation " << failAt;
        return failed;
    });
    // One exactly sized block per chunk.
    EXPECT_EQ(3, allocations);
}
