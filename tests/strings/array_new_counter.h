// Replaces the global array new/delete of the test executable (the library's string blocks are
// allocated through them) to count live arrays and allocations, and to make one chosen
// allocation fail with std::bad_alloc.
#ifndef VELQON_TESTS_ARRAY_NEW_COUNTER_H
#define VELQON_TESTS_ARRAY_NEW_COUNTER_H

// Array allocations alive right now (news minus deletes), process-wide.
long LiveArrays();
// Array allocations made so far, process-wide.
long ArrayAllocations();
// Makes the next array allocation of the calling thread throw std::bad_alloc (once).
void FailNextArrayAllocation();

#endif  // VELQON_TESTS_ARRAY_NEW_COUNTER_H
