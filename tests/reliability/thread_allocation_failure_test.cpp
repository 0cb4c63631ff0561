// Allocation failure injected into each allocation of a thread's start (its event's among them).
#include <atomic>

#include "VelqonThread.h"
#include "allocation.h"

// A failed start runs nothing and leaves nothing; a successful one runs the function once.
TEST(ThreadAllocationFailureTest, FailedStartLeavesNothing) {
    ClosePortableEvent(CreatePortableEvent(nullptr, 1, 0, nullptr));  // checked: the registries
    long const allocations = WalkAllocationFailures([](long failAt) {
        std::atomic<int> runs{0};
        void* thread = nullptr;
        auto const countRun = [](void* counter) -> void* {
            ++*static_cast<std::atomic<int>*>(counter);
            return nullptr;
        };
        bool const failed = FailsAt(
            failAt, [&] { thread = _beginthreadex("vq-alloc", 0, countRun, &runs, 0, nullptr); });
        if (!failed) {
            EXPECT_EQ(0u, WaitForPortableThread(thread, 60000));
            ClosePortableThread(thread);
        }
        EXPECT_EQ(failed ? 0 : 1, runs.load()) << "allocation " << failAt;
        return failed;
    });
    EXPECT_LE(3, allocations);  // the thread object, its completion event, the start record
}
