// Folding arithmetic shared by the carry-less multiply engines of CRC-32.
//
// The CRC of a message M (register started at zero) is M(x) * x^32 mod P, where the first bit
// of the message is the highest power. A 16-byte block read into a 128-bit lane therefore holds
// x^127 in bit 0 and x^0 in bit 127. Moving a lane forward past d bits of data that follow it,
// that is multiplying it by x^d modulo P, and XORing it into the block there keeps the CRC of
// the message unchanged; the engines repeat that until one lane stands for all the data, then
// reduce that lane modulo P to the 32-bit register.
#ifndef VELQON_HOST_CRC32_FOLD_H
#define VELQON_HOST_CRC32_FOLD_H

#include <emmintrin.h>
#include <stddef.h>
#include <stdint.h>
#include <tmmintrin.h>
#include <wmmintrin.h>

#include <array>

#include "crc32_paths.h"

namespace velqon_internal {

// x^n mod P in the reflected form, where bit 31 holds x^0 and bit 0 holds x^31.
constexpr uint32_t XPowerModP(unsigned n) {
    uint32_t r = 0x80000000u;
    for (unsigned i = 0; i < n; ++i) {
        r = (r >> 1) ^ ((r & 1) ? kCrc32Polynomial : 0);
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

// The multipliers that move a lane forward by `bits`: low quadword, high quadword. Used only in
// constant expressions, so that none of these loops runs at run time.
struct FoldDistance {
    long long low;
    long long high;
};

constexpr FoldDistance FoldBy(unsigned bits) {
    return {FoldMultiplier(bits + 32), FoldMultiplier(bits - 32)};
}

// The full polynomial as a multiplier operand (bit j holds x^(32-j)).
constexpr long long kPolynomialOperand = (static_cast<long long>(kCrc32Polynomial) << 1) | 1;

// floor(x^64 / P) as a multiplier operand (bit j holds x^(32-j)), found by long division with
// the usual bit order (bit d holds x^d) and then reversed.
constexpr long long BarrettQuotient() {
    uint64_t polynomial = 1ull << 32;
    for (unsigned i = 0; i < 32; ++i) {
        polynomial |= static_cast<uint64_t>((kCrc32Polynomial >> i) & 1) << (31 - i);
    }
    uint64_t remainder = 0, quotient = 0;
    for (int d = 64; d >= 0; --d) {
        remainder = (remainder << 1) | (d == 64 ? 1 : 0);
        if ((remainder >> 32) != 0) {
            remainder ^= polynomial;
            quotient |= 1ull << d;
        }
    }
    uint64_t reversed = 0;
    for (unsigned j = 0; j <= 32; ++j) {
        reversed |= ((quotient >> (32 - j)) & 1) << j;
    }
    return static_cast<long long>(reversed);
}

// Shuffle controls for a tail of t bytes (1 to 15), read 16 bytes from entry t: entry j < 16
// picks lane byte j; entry j >= 16 has its top bit set (a zero byte) and, with that bit
// flipped, picks lane byte j - 16.
constexpr std::array<unsigned char, 32> MakeTailShuffle() {
    std::array<unsigned char, 32> control{};
    for (unsigned j = 0; j < 32; ++j) {
        control[j] = static_cast<unsigned char>(j < 16 ? j : 0x80 + (j - 16));
    }
    return control;
}

inline constexpr std::array<unsigned char, 32> kTailShuffle = MakeTailShuffle();

constexpr unsigned kLaneBits = 128;

// The instructions of the 128-bit engine; the 512-bit engine inlines these functions too.
#define VELQON_CLMUL __attribute__((target("sse2,ssse3,pclmul")))

VELQON_CLMUL inline __m128i Multipliers(FoldDistance distance) {
    return _mm_set_epi64x(distance.high, distance.low);
}

VELQON_CLMUL inline __m128i Load(unsigned char const* p) {
    return _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
}

// A lane moved forward by the distance whose multipliers `k` holds (low quadword: d + 32,
// high quadword: d - 32), still below 2^128.
VELQON_CLMUL inline __m128i FoldForward(__m128i lane, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11));
}

// The CRC register for the data a lane stands for: lane * x^32 mod P in three steps of
// decreasing width. The low quadword of the lane (its higher powers) times x^96 joins the high
// one times x^32 (96 bits); the top 32 of those times x^64 join the rest (64 bits); then Barrett's
// reduction takes the quotient by P from the top 32 bits times floor(x^64 / P) and subtracts it
// times P, leaving the remainder in bits 32 to 63.
VELQON_CLMUL inline uint32_t Reduce(__m128i lane) {
    __m128i const low32 = _mm_set_epi32(0, 0, 0, -1);
    constexpr long long kBy96 = FoldMultiplier(96), kBy64 = FoldMultiplier(64);
    constexpr long long kQuotient = BarrettQuotient();
    __m128i const k = _mm_set_epi64x(kBy64, kBy96);
    __m128i r = _mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_srli_si128(lane, 8));
    r = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(r, low32), k, 0x10), _mm_srli_si128(r, 4));
    __m128i const barrett = _mm_set_epi64x(kPolynomialOperand, kQuotient);
    __m128i q = _mm_clmulepi64_si128(_mm_and_si128(r, low32), barrett, 0x00);
    q = _mm_clmulepi64_si128(_mm_and_si128(q, low32), barrett, 0x10);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(_mm_xor_si128(r, q), 4)));
}

// The CRC-32 of a buffer from `lane`, which stands for every byte before `data` (at least 16),
// and the `length` bytes left at `data`. Whole blocks are folded in one by one. A tail of t
// bytes is joined with the last 16 - t bytes of the lane into one block: the 16 bytes ending
// the buffer supply the tail, and the t bytes pushed out of the lane front move forward past a
// whole block.
VELQON_CLMUL inline uint32_t FinishFolding(__m128i lane, unsigned char const* data, size_t length) {
    constexpr FoldDistance kBy1 = FoldBy(kLaneBits);
    __m128i const by1 = Multipliers(kBy1);
    for (; length >= 16; data += 16, length -= 16) {
        lane = _mm_xor_si128(FoldForward(lane, by1), Load(data));
    }
    if (length > 0) {
        __m128i const control = Load(kTailShuffle.data() + length);
        __m128i const isTail = _mm_cmplt_epi8(control, _mm_setzero_si128());
        __m128i const pushedOut =
            _mm_shuffle_epi8(lane, _mm_xor_si128(control, _mm_set1_epi8(static_cast<char>(0x80))));
        __m128i const kept = _mm_or_si128(_mm_shuffle_epi8(lane, control),
                                          _mm_and_si128(isTail, Load(data + length - 16)));
        lane = _mm_xor_si128(FoldForward(pushedOut, by1), kept);
    }
    return ~Reduce(lane);
}

}  // namespace velqon_internal

#endif  // VELQON_HOST_CRC32_FOLD_H
