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

std::atomic<long> liveAllocations{0};
std::atomic<long> liveArrays{0};
std::atomic<long> arrayAllocations{0};
std::atomic<long> mismatches{0};
// Allocations left before the failing one while armed; 0 when nothing is to fail.
std::atomic<long> countdown{0};
std::atomic<bool> injected{false};

void* Allocate(size_t size, Form form) {
    if (countdown.load() > 0 && countdown.fetch_sub(1) == 1) {
        injected = true;
        throw std::bad_alloc();
    }
    Header* header = static_cast<Header*>(malloc(sizeof(Header) + size));
    if (header == nullptr) {
        throw std::bad_alloc();
    }
    header->form = form;
    ++liveAllocations;
    if (form == Form::kArray) {
        ++liveArrays;
        ++arrayAllocations;
    }
    return header + 1;
}

void Release(void* memory, Form form) noexcept {
    if (memory == nullptr) {
        return;
    }
    Header* header = static_cast<Header*>(memory) - 1;
    if (header->form != form) {
        ++mismatches;
    }
    --liveAllocations;
    if (header->form == Form::kArray) {
        --liveArrays;
    }
    free(header);
}

template <Form Kind>
void* AllocateOrNull(size_t size) noexcept {
    try {
        return Allocate(size, Kind);
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
}

}  // namespace

long LiveAllocations() {
    return liveAllocations.load();
}

long LiveArrays() {
    return liveArrays.load();
}

long ArrayAllocations() {
    return arrayAllocations.load();
}

long MismatchedDeletes() {
    return mismatches.load();
}

AllocationFailure::AllocationFailure(long failAt) {
    injected = false;
    countdown = failAt;
}

AllocationFailure::~AllocationFailure() {
    countdown = 0;
}

bool AllocationFailure::Injected() const {
    return injected.load();
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
