// Replacement array allocation operators that count live blocks and can fail on request.
#include "allocation_counter.h"

#include <stdlib.h>

#include <atomic>
#include <new>

namespace {
std::atomic<long> liveBlocks{0};
std::atomic<bool> failNext{false};
}  // namespace

long LiveArrayBlocks() {
    return liveBlocks.load();
}

void FailNextArrayAllocation() {
    failNext.store(true);
}

void* operator new[](size_t size) {
    if (failNext.exchange(false)) {
        throw std::bad_alloc();
    }
    void* const block = malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    ++liveBlocks;
    return block;
}

void operator delete[](void* block) noexcept {
    if (block != nullptr) {
        --liveBlocks;
        free(block);
    }
}

void operator delete[](void* block, size_t) noexcept {
    operator delete[](block);
}
