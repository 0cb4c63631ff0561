// Portable_crc32: the standard CRC-32 (reflected polynomial 0xEDB88320, as in zlib and PNG).
//
// Two engines give identical results. The byte-wise table engine works everywhere. On
// processors with carry-less multiplication (PCLMULQDQ, checked once at run time) whole
// 16-byte blocks are folded instead: four 128-bit lanes run side by side, each lane being
// multiplied forward past the data that follows it and XORed into the next block, which
// keeps the CRC modulo the polynomial unchanged while doing 64 bytes per round.
#include <cpuid.h>
#include <emmintrin.h>
#include <stddef.h>
#include <stdint.h>
#include <wmmintrin.h>

#include <array>

#include "VelqonThread.h"

namespace {

const uint32_t kPolynomial = 0xEDB88320u;  // x^32 + x^26 + ... + 1, bit-reversed

constexpr std::array<uint32_t, 256> MakeByteTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit) {
            r = (r >> 1) ^ ((r & 1) ? kPolynomial : 0);
        }
        table[i] = r;
    }
    return table;
}

// Entry i is the register after eight shift-and-conditional-XOR steps from i.
constexpr std::array<uint32_t, 256> crc_32_tab = MakeByteTable();

uint32_t UpdateBytewise(uint32_t crc, unsigned char const* data, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        crc = (crc >> 8) ^ crc_32_tab[(crc ^ data[i]) & 0xFF];
    }
    return crc;
}

// x^n mod P in the reflected form, where bit 31 holds x^0 and bit 0 holds x^31.
constexpr uint32_t XPowerModP(unsigned n) {
    uint32_t r = 0x80000000u;
    for (unsigned i = 0; i < n; ++i) {
        r = (r >> 1) ^ ((r & 1) ? kPolynomial : 0);
    }
    return r;
}

// x^n mod P as a multiplier operand: bit j holds x^(32-j). Multiplying a 64-bit half of a lane
// (bit i holds x^(63-i)) by it and reading the 128-bit product as a lane (bit k holds
// x^(127-k)) yields half * (x^n mod P) * x^32. So the half with the higher powers (the low
// quadword, worth x^64 more) is moved forward by d bits with n = d + 32, the other with
// n = d - 32.
constexpr long long FoldMultiplier(unsigned n) {
    // The shift is done in 64 bits; the outer cast only gives _mm_set_epi64x its signed type.
    // NOLINTNEXTLINE(bugprone-misplaced-widening-cast)
    return static_cast<long long>(static_cast<uint64_t>(XPowerModP(n)) << 1);
}

constexpr unsigned kLaneBits = 128;

#define VELQON_CLMUL __attribute__((target("sse2,pclmul")))

// A lane moved forward by the distance whose multipliers `k` holds (low quadword: d + 32,
// high quadword: d - 32), still below 2^128.
VELQON_CLMUL inline __m128i FoldForward(__m128i lane, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11));
}

VELQON_CLMUL inline __m128i Load(unsigned char const* p) {
    return _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
}

// Same result as updateBytewise; needs length >= 16.
VELQON_CLMUL uint32_t UpdateFolding(uint32_t crc, unsigned char const* data, size_t length) {
    const __m128i by1 =
        _mm_set_epi64x(FoldMultiplier(kLaneBits - 32), FoldMultiplier(kLaneBits + 32));
    // The register acts as XORed into the first four message bytes.
    __m128i x0 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(crc)));
    if (length >= 64) {  // four 16-byte lanes
        const __m128i by4 =
            _mm_set_epi64x(FoldMultiplier(4 * kLaneBits - 32), FoldMultiplier(4 * kLaneBits + 32));
        __m128i x1 = Load(data + 16), x2 = Load(data + 32), x3 = Load(data + 48);
        data += 64;
        length -= 64;
        for (; length >= 64; data += 64, length -= 64) {
            x0 = _mm_xor_si128(FoldForward(x0, by4), Load(data));
            x1 = _mm_xor_si128(FoldForward(x1, by4), Load(data + 16));
            x2 = _mm_xor_si128(FoldForward(x2, by4), Load(data + 32));
            x3 = _mm_xor_si128(FoldForward(x3, by4), Load(data + 48));
        }
        x0 = _mm_xor_si128(FoldForward(x0, by1), x1);
        x0 = _mm_xor_si128(FoldForward(x0, by1), x2);
        x0 = _mm_xor_si128(FoldForward(x0, by1), x3);
    } else {
        data += 16;
        length -= 16;
    }
    for (; length >= 16; data += 16, length -= 16) {
        x0 = _mm_xor_si128(FoldForward(x0, by1), Load(data));
    }
    // The folded lane stands for all bytes so far: its CRC from a zero register is the register
    // after them. The tail below 16 bytes goes through the table as well.
    alignas(16) unsigned char lane[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lane), x0);
    return UpdateBytewise(UpdateBytewise(0, lane, sizeof lane), data, length);
}

#undef VELQON_CLMUL

bool ProcessorHasClmul() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_PCLMUL) != 0;
}

}  // namespace

unsigned int Portable_crc32(char* data, unsigned int length) {
    if (length == 0) {
        return 0;
    }
    static bool const folding = ProcessorHasClmul();
    unsigned char const* bytes = reinterpret_cast<unsigned char const*>(data);
    const uint32_t crc = folding && length >= 16 ? UpdateFolding(0xFFFFFFFFu, bytes, length)
                                                 : UpdateBytewise(0xFFFFFFFFu, bytes, length);
    return ~crc;
}
