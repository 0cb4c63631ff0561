// The one implementation of the interlocked counters, inline so that the library's own count
// changes (the string blocks' reference counts) take the same atomic step as the exported
// InterlockedIncrement/InterlockedDecrement without a call through the dynamic symbol table.
#ifndef VELQON_THREADS_INTERLOCKED_H
#define VELQON_THREADS_INTERLOCKED_H

namespace velqon_internal {

// Adds 1 to *counter in one atomic read-modify-write and returns the new value.
inline long IncrementCounter(long* counter) {
    return __atomic_add_fetch(counter, 1, __ATOMIC_ACQ_REL);
}

// Subtracts 1 from *counter in one atomic read-modify-write and returns the new value. Acquire
// and release: the holder that takes a block's count to 0 sees every earlier use of the block.
inline long DecrementCounter(long* counter) {
    return __atomic_sub_fetch(counter, 1, __ATOMIC_ACQ_REL);
}

}  // namespace velqon_internal

#endif  // VELQON_THREADS_INTERLOCKED_H
