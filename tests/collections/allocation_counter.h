// Instrumented operator new[] / delete[] for the collections tests. The library takes every
// block it owns (element storage, node blocks, bucket arrays, string blocks) from the global
// array allocation operators, which this test program replaces, so a test can count the blocks
// alive before and after an operation and make one allocation fail.
#ifndef VELQON_TESTS_COLLECTIONS_ALLOCATION_COUNTER_H
#define VELQON_TESTS_COLLECTIONS_ALLOCATION_COUNTER_H

// Number of operator new[] blocks currently alive in this program.
long LiveArrayBlocks();

// Makes the next operator new[] throw std::bad_alloc (once).
void FailNextArrayAllocation();

#endif  // VELQON_TESTS_COLLECTIONS_ALLOCATION_COUNTER_H
