#include "allocation.h"

#include <stdint.h>
#include <stdlib.h>

#include <atomic>

namespace {

// Which form of new made a block: a delete of the other form is counted as a mismatch.
enum class Form : uint32_t { kPlain = 0x706c6e31, kArray = 0x61727231 };

// Put in front of every block; 16 bytes keep the block as aligned as malloc's.
struct alignas(16) Header {
    Form form;
};

std::atomic<long> liveAllocations{0}, liveArrays{0}, arrayAllocations{0}, mismatches{0};
// Allocations left before the failing one while armed; 0 when nothing is to fail.
std::atomic<long> countdown{0};
std::atomic<bool> injected{false};

void* Allocate(size_t size, Form form) {
    bool const fails = countdown.load() > 0 && countdown.fetch_sub(1) == 1;
    injected = injected || fails;
    Header* header = fails ? nullptr : static_cast<Header*>(malloc(sizeof(Header) + size));
    if (header == nullptr) {
        throw std::bad_alloc();
    }
    header->form = form;
    ++liveAllocations;
    liveArrays += form == Form::kArray;
    arrayAllocations += form == Form::kArray;
    return header + 1;
}

void* AllocateOrNull(size_t size, Form form) noexcept {
    try {
        return Allocate(size, form);
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
}

void Release(void* memory, Form form) noexcept {
    if (memory != nullptr) {
        Header* header = static_cast<Header*>(memory) - 1;
        mismatches += header->form != form;
        --liveAllocations;
        liveArrays -= header->form == Form::kArray;
        free(header);
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
    return AllocateOrNull(size, Form::kPlain);
}

void* operator new[](size_t size, std::nothrow_t const&) noexcept {
    return AllocateOrNull(size, Form::kArray);
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
