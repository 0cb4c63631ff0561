#include "VelqonMFC.h"
#include "allocation.h"
#include "temp_dir.h"

// A failed allocation (a line's block, a long line's heap room): an empty line, a chunk boundary.
TEST(StdioFileAllocationFailureTest, FailedAppendLeavesTheLineEmpty) {
    TempDir dir;
    for (size_t const length : {300u, 5000u}) {
        std::string const text(length, 'a');
        std::string const path = dir.Write("f", text + "\nnext line\n");
        long const allocations = WalkAllocationFailures([&](long failAt) {
            CPortableStdioFile file(path.c_str(), 0);
            CPortableString line("before");
            bool const failed = FailsAt(failAt, [&] { file.ReadString(line); });
            EXPECT_EQ(failed ? "" : text, std::string(line)) << "allocation " << failAt;
            EXPECT_EQ(1, file.ReadString(line));
            std::string const next(line);
            EXPECT_TRUE(next == "next line" || (failed && next == text.substr(0, next.size()) &&
                                                (length - next.size()) % 127 == 0))
                << "allocation " << failAt << ": " << next.size();
            return failed;
        });
        EXPECT_EQ(length < 4000 ? 1 : 2, allocations);
    }
}
