// Which CRC-32 engines the processor runs, asked once per process by Portable_crc32.
#include <cpuid.h>

#include "crc32_paths.h"

namespace velqon_internal {
namespace {

// XCR0 bits the operating system sets when it saves, on each context switch, the SSE (1) and AVX
// (2) registers and the three parts of the AVX-512 state (5: mask registers, 6: upper halves of
// zmm0-15, 7: zmm16-31). Without them the 512-bit instructions fault or lose state.
constexpr uint64_t kZmmStateBits = (1u << 1) | (1u << 2) | (1u << 5) | (1u << 6) | (1u << 7);

uint64_t EnabledStateComponents() {
    uint32_t low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<uint64_t>(high) << 32) | low;
}

}  // namespace

bool ProcessorHasClmul() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_PCLMUL) != 0 &&
           (ecx & bit_SSSE3) != 0;
}

bool ProcessorHasVpclmul() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!ProcessorHasClmul() || __get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0 ||
        (ecx & bit_OSXSAVE) == 0 || (ecx & bit_AVX) == 0 ||
        (EnabledStateComponents() & kZmmStateBits) != kZmmStateBits) {
        return false;
    }
    unsigned const avx512 = bit_AVX512F | bit_AVX512BW | bit_AVX512VL;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 && (ebx & avx512) == avx512 &&
           (ecx & bit_VPCLMULQDQ) != 0;
}

}  // namespace velqon_internal
