#include "array_new_counter.h"

#include <stdlib.h>

#include <atomic>
#include <new>

namespace {
std::atomic<long> g_live{0};
std::atomic<long> g_allocations{0};
thread_local bool t_failNext = false;
}  // namespace

long LiveArrays() {
    return g_live.load();
}
long ArrayAllocations() {
    return g_allocations.load();
}
void FailNextArrayAllocation() {
    t_failNext = true;
}

void* operator new[](size_t size) {
    void* memory = t_failNext ? nullptr : malloc(size == 0 ? 1 : size);
    t_failNext = false;
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    ++g_live;
    ++g_allocations;
    return memory;
}

void operator delete[](void* memory) noexcept {
    g_live -= memory != nullptr;
    free(memory);
}

void operator delete[](void* memory, size_t) noexcept {
    operator delete[](memory);
}
