// Replaces the global allocation operators of the test program that links this library (plain
// and array forms, with their sized and nothrow variants), so that a test can count allocations,
// catch a block freed with the wrong form of delete, and make one chosen allocation throw
// std::bad_alloc. The library's own allocations go through these operators too.
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

// Runs `operation` with the failAt-th allocation made to fail. Returns whether it ended with
// std::bad_alloc, and checks that it did exactly when the failure was injected: the library
// neither swallows the exception nor throws one of its own.
template <class Operation>
bool FailsAt(long failAt, Operation operation) {
    bool threw = false;
    bool injected = false;
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

// The allocation-failure walk: runs scenario(failAt) for failAt = 1, 2, ... until a run gets
// through without a failure, so that every allocation of the scenario's operation fails once.
// The scenario builds its objects, runs the operation through FailsAt, checks the state it
// promises, checks that the objects still work, destroys them and returns what FailsAt returned.
// After every run nothing may be left allocated and nothing freed with the wrong delete. Returns
// the number of allocations the operation makes when nothing fails.
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
