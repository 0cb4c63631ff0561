#include <atomic>

#include "VelqonThread.h"
#include "allocation.h"

namespace {

unsigned int const kSignalled = 0;

void* countRun(void* runs) {
    ++*static_cast<std::atomic<int>*>(runs);
    return nullptr;
}

// Makes the process-wide state that the first event brings with it (the checked build's
// registry of open events, which lives until the process ends), so that it does not count as
// a leak of the first walk step.
void createFirstEvent() {
    ClosePortableEvent(CreatePortableEvent(nullptr, 1, 0, nullptr));
}

}  // namespace

// Event creation either returns a working event or throws with nothing left allocated.
TEST(EventAllocationFailureTest, FailedCreationLeavesNothing) {
    createFirstEvent();
    long const allocations = WalkAllocationFailures([](long failAt) {
        void* event = nullptr;
        const bool failed =
            FailsAt(failAt, [&] { event = CreatePortableEvent(nullptr, 1, 0, "name"); });
        EXPECT_EQ(failed, event == nullptr);
        void* next = CreatePortableEvent(nullptr, 1, 0, nullptr);
        SetPortableEvent(next);
        EXPECT_EQ(kSignalled, WaitForPortableEvent(next, 0));
        ClosePortableEvent(next);
        if (event != nullptr) {
            ClosePortableEvent(event);
        }
        return failed;
    });
    // The event record (and its registry entry in the checked build).
    EXPECT_LE(1, allocations);
}

// A failed _beginthreadex starts nothing and leaves nothing; a successful one runs the function
// once and is joined and closed.
TEST(ThreadAllocationFailureTest, FailedStartLeavesNothing) {
    createFirstEvent();
    long const allocations = WalkAllocationFailures([](long failAt) {
        std::atomic<int> runs{0};
        void* thread = nullptr;
        unsigned int id = 0;
        const bool failed = FailsAt(
            failAt, [&] { thread = _beginthreadex("vq-alloc", 0, countRun, &runs, 0, &id); });
        if (!failed) {
            EXPECT_NE(0u, id);
            EXPECT_EQ(kSignalled, WaitForPortableThread(thread, 60000));
            ClosePortableThread(thread);
        }
        EXPECT_EQ(failed ? 0 : 1, runs.load()) << "allocation " << failAt;
        return failed;
    });
    // At least the thread object, its completion event record and the start record that the
    // thread frees.
    EXPECT_LE(3, allocations);
}
