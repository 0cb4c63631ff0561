// Interlocked counters: lock-free atomic read-modify-write of a caller's 64-bit counter.
// Every string copy and destruction in every thread passes through these two functions, so they
// use one locked add instruction instead of a process-wide mutex; the result is the new value,
// taken from the same atomic step.
#include "VelqonMFC.h"

long InterlockedIncrement(long* counter) {
    return __atomic_add_fetch(counter, 1, __ATOMIC_ACQ_REL);
}

long InterlockedDecrement(long* counter) {
    return __atomic_sub_fetch(counter, 1, __ATOMIC_ACQ_REL);
}
