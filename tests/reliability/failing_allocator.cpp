#include "failing_allocator.h"

#include <stdint.h>
#include <stdlib.h>

#include <atomic>

namespace {

enum class Form : uint32_t { plain = 0x706c6e31, array = 0x61727231 };

// Put in front of every block; 16 bytes keep the block as aligned as malloc's.
struct alignas(16) Header {
    Form form;
};

std::atomic<long> g_live{0};
std::atomic<long> g_mismatches{0};
// Allocations left before the failing one while armed; 0 when nothing is to fail.
std::atomic<long> g_countdown{0};
std::atomic<bool> g_injected{false};

void* allocate(size_t size, Form form) {
    if (g_countdown.load() > 0 && g_countdown.fetch_sub(1) == 1) {
        g_injected = true;
        throw std::bad_alloc();
    }
    Header* header = static_cast<Header*>(malloc(sizeof(Header) + size));
    if (header == nullptr) {
        throw std::bad_alloc();
    }
    header->form = form;
    ++g_live;
    return header + 1;
}

void release(void* memory, Form form) noexcept {
    if (memory == nullptr) {
        return;
    }
    Header* header = static_cast<Header*>(memory) - 1;
    if (header->form != form) {
        ++g_mismatches;
    }
    --g_live;
    free(header);
}

}  // namespace

long LiveAllocations() {
    return g_live.load();
}

long MismatchedDeletes() {
    return g_mismatches.load();
}

AllocationFailure::AllocationFailure(long failAt) {
    g_injected = false;
    g_countdown = failAt;
}

AllocationFailure::~AllocationFailure() {
    g_countdown = 0;
}

bool AllocationFailure::Injected() const {
    return g_injected.load();
}

void* operator new(size_t size) {
    return allocate(size, Form::plain);
}

void* operator new[](size_t size) {
    return allocate(size, Form::array);
}

void* operator new(size_t size, std::nothrow_t const&) noexcept {
    try {
        return allocate(size, Form::plain);
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
}

void* operator new[](size_t size, std::nothrow_t const&) noexcept {
    try {
        return allocate(size, Form::array);
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
}

void operator delete(void* memory) noexcept {
    release(memory, Form::plain);
}

void operator delete[](void* memory) noexcept {
    release(memory, Form::array);
}

void operator delete(void* memory, size_t) noexcept {
    release(memory, Form::plain);
}

void operator delete[](void* memory, size_t) noexcept {
    release(memory, Form::array);
}

void operator delete(void* memory, std::nothrow_t const&) noexcept {
    release(memory, Form::plain);
}

void operator delete[](void* memory, std::nothrow_t const&) noexcept {
    release(memory, Form::array);
}
