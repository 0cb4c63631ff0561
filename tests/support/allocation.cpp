#include "allocation.h"

#include <stdint.h>
#include <stdlib.h>

#include <atomic>

namespace {

enum class Form : uint32_t { kPlain = 0x706c6e31, kArray = 0x61727231 };

// Put in front of every block; 16 bytes keep the block as aligned as malloc's.
struct alignas(16) Header {
    Form form;
};

std::atomic<long> g_live{0};
std::atomic<long> g_liveArrays{0};
std::atomic<long> g_arrayAllocations{0};
std::atomic<long> g_mismatches{0};
// Allocations left before the failing one while armed; 0 when nothing is to fail.
std::atomic<long> g_countdown{0};
std::atomic<bool> g_injected{false};

void* Allocate(size_t size, Form form) {
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
    if (form == Form::kArray) {
        ++g_liveArrays;
        ++g_arrayAllocations;
    }
    return header + 1;
}

void Release(void* memory, Form form) noexcept {
    if (memory == nullptr) {
        return;
    }
    Header* header = static_cast<Header*>(memory) - 1;
    if (header->form != form) {
        ++g_mismatches;
    }
    --g_live;
    if (header->form == Form::kArray) {
        --g_liveArrays;
    }
    free(header);
}

template <Form form>
void* AllocateOrNull(size_t size) noexcept {
    try {
        return Allocate(size, form);
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
}

}  // namespace

long LiveAllocations() {
    return g_live.load();
}

long LiveArrays() {
    return g_liveArrays.load();
}

long ArrayAllocations() {
    return g_arrayAllocations.load();
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
    return Allocate(size, Form::kPlain);
}

void* operator new[](size_t size) {
    return Allocate(size, Form::kArray);
}

void* operator new(size_t size, std::nothrow_t const&) noexcept {
    return AllocateOrNull<Form::kPlain>(size);
}

void* operator new[](size_t size, std::nothrow_t const&) noexcept {
    return AllocateOrNull<Form::kArray>(size);
}

void operator delete(void* memory) noexcept {
    Release(memory, Form::kPlain);
}

void operator delete[](void* memory) noexcept {
    Release(memory, Form::kArray);
}

void operator delete(void* memory, size_t) noexcept {
    Release(memory, Form::kPlain);
}

void operator delete[](void* memory, size_t) noexcept {
    Release(memory, Form::kArray);
}

void operator delete(void* memory, std::nothrow_t const&) noexcept {
    Release(memory, Form::kPlain);
}

void operator delete[](void* memory, std::nothrow_t const&) noexcept {
    Release(memory, Form::kArray);
}
