// Replaces the global allocation operators (all forms) of the program that links it, the
// library's allocations included: counts, wrong-form deletes, and one chosen allocation failing.
#ifndef VELQON_TESTS_SUPPORT_ALLOCATION_H
#define VELQON_TESTS_SUPPORT_ALLOCATION_H

#include <gtest/gtest.h>

#include <new>

// Allocations made and not yet deleted, process-wide: all forms, and array new only.
long LiveAllocations();
long LiveArrays();
// Array allocations made so far, process-wide.
long ArrayAllocations();
// Blocks released with the other form of delete (array for plain or plain for array).
long MismatchedDeletes();

// While it lives, the failAt-th allocation counted from its construction (1 = the first, in any
// thread) throws std::bad_alloc; every other allocation succeeds.
class AllocationFailure {
public:
    explicit AllocationFailure(long failAt);
    ~AllocationFailure();
    AllocationFailure(AllocationFailure const&) = delete;
    AllocationFailure& operator=(AllocationFailure const&) = delete;

    // Whether the chosen allocation has been reached (and thrown).
    bool Injected() const;
};

// Runs `operation` with the failAt-th allocation failing; returns whether it threw bad_alloc,
// and checks that it did exactly when the failure was injected (none swallowed or invented).
template <class Operation>
bool FailsAt(long failAt, Operation operation) {
    bool threw = false, injected = false;
    {
        AllocationFailure failure(failAt);
        try {
            operation();
        } catch (std::bad_alloc const&) {
            threw = true;
        }
        injected = failure.Injected();
    }
    EXPECT_EQ(injected, threw) << "allocation " << failAt;
    return threw;
}

// Runs scenario(failAt) (build, FailsAt, check, destroy; returns whether it failed) for failAt
// = 1, 2, ... until a run gets through, checking that no run leaks or deletes with the wrong
// form. Returns the number of allocations the operation makes when nothing fails.
template <class Scenario>
long WalkAllocationFailures(Scenario scenario) {
    long const mismatchesBefore = MismatchedDeletes();
    for (long failAt = 1; failAt < 10000; ++failAt) {
        long const liveBefore = LiveAllocations();
        bool const failed = scenario(failAt);
        EXPECT_EQ(liveBefore, LiveAllocations()) << "leak after failing allocation " << failAt;
        EXPECT_EQ(mismatchesBefore, MismatchedDeletes()) << "allocation " << failAt;
        if (!failed) {
            return failAt - 1;
        }
    }
    ADD_FAILURE() << "the operation never got through";
    return -1;
}

#endif  // VELQON_TESTS_SUPPORT_ALLOCATION_H
