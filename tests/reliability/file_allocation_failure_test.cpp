#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "VelqonMFC.h"
#include "allocation.h"

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

// A line is gathered first and stored with one append, into one exactly sized block (a line
// too long for the reader's stack room also takes heap room while it is read). When either
// allocation fails the string is left empty, the text read so far is lost, and the next call
// reads on from the chunk boundary where the stream stands.
TEST(StdioFileAllocationFailureTest, FailedAppendLeavesTheLineEmpty) {
    for (size_t const length : {300u, 5000u}) {
        const std::string text(length, 'a');
        const MemoryFile memory(text + "\nnext line\n");
        ASSERT_TRUE(memory.ok());
        long const allocations = WalkAllocationFailures([&](long failAt) {
            CPortableStdioFile file;
            EXPECT_EQ(1, file.Open(memory.path().c_str(), 0));
            CPortableString line("before");
            const bool failed = FailsAt(failAt, [&] { file.ReadString(line); });
            EXPECT_EQ(failed ? "" : text, std::string(line)) << "allocation " << failAt;
            EXPECT_EQ(1, file.ReadString(line));
            const std::string next(line);
            EXPECT_TRUE(next == "next line" || (failed && next == text.substr(0, next.size()) &&
                                                (length - next.size()) % 127 == 0))
                << "allocation " << failAt << ": " << next.size();
            return failed;
        });
        EXPECT_EQ(length < 4000 ? 1 : 2, allocations);
    }
}
