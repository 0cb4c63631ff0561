// Interlocked counters: lock-free atomic read-modify-write of a caller's 64-bit counter.
// Every string copy and destruction in every thread changes a count, so the counters use one
// locked add instruction instead of a process-wide mutex; the result is the new value, taken
// from the same atomic step. The string code takes the same step through threads/interlocked.h.
#include "threads/interlocked.h"

#include "VelqonMFC.h"

long InterlockedIncrement(long* counter) {
    return velqon_internal::IncrementCounter(counter);
}

long InterlockedDecrement(long* counter) {
    return velqon_internal::DecrementCounter(counter);
}
