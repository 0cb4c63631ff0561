// The 512-bit folding engine of CRC-32: each 512-bit register holds four 128-bit lanes that
// fold as in the 128-bit engine, and four registers run side by side, 256 bytes per round. The
// registers are then folded into one, the four lanes of that one into its last lane, and the
// rest goes through FinishFolding.
#include <immintrin.h>

#include "crc32_fold.h"

#define VELQON_VPCLMUL \
    __attribute__((target("sse2,ssse3,pclmul,avx2,avx512f,avx512bw,avx512vl,vpclmulqdq")))

namespace velqon_internal {
namespace {

constexpr unsigned kRegisterBits = 512;
constexpr size_t kRoundBytes = 4 * kRegisterBits / 8;

VELQON_VPCLMUL inline __m512i Load512(unsigned char const* p) {
    return _mm512_loadu_si512(p);
}

// The same multipliers in every lane. (Broadcasts and extracts that start from an undefined
// register are avoided: GCC 12 reports such registers as maybe uninitialized.)
VELQON_VPCLMUL inline __m512i Multipliers512(FoldDistance d) {
    return _mm512_set_epi64(d.high, d.low, d.high, d.low, d.high, d.low, d.high, d.low);
}

// Each lane of `x` moved forward by the multipliers of its lane in `k`, XORed with `next`.
VELQON_VPCLMUL inline __m512i FoldInto(__m512i x, __m512i k, __m512i next) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00),
                                     _mm512_clmulepi64_epi128(x, k, 0x11), next, 0x96);
}

}  // namespace

VELQON_VPCLMUL uint32_t Crc32Vpclmul(unsigned char const* data, size_t length) {
    // Below one round of four registers the 128-bit engine is as fast.
    if (length < kRoundBytes) {
        return Crc32Clmul(data, length);
    }
    constexpr FoldDistance kBy1 = FoldBy(kRegisterBits), kBy4 = FoldBy(4 * kRegisterBits);
    __m512i const by1 = Multipliers512(kBy1), by4 = Multipliers512(kBy4);
    // The register (all ones) acts as XORed into the first four message bytes.
    __m512i x0 = _mm512_xor_si512(Load512(data), _mm512_zextsi128_si512(_mm_cvtsi32_si128(-1)));
    __m512i x1 = Load512(data + 64), x2 = Load512(data + 128), x3 = Load512(data + 192);
    data += kRoundBytes;
    length -= kRoundBytes;
    for (; length >= kRoundBytes; data += kRoundBytes, length -= kRoundBytes) {
        x0 = FoldInto(x0, by4, Load512(data));
        x1 = FoldInto(x1, by4, Load512(data + 64));
        x2 = FoldInto(x2, by4, Load512(data + 128));
        x3 = FoldInto(x3, by4, Load512(data + 192));
    }
    x0 = FoldInto(x0, by1, x1);
    x0 = FoldInto(x0, by1, x2);
    x0 = FoldInto(x0, by1, x3);
    for (; length >= 64; data += 64, length -= 64) {
        x0 = FoldInto(x0, by1, Load512(data));
    }
    // Lane i of x0 moves forward by 3 - i lanes; the last lane stays (its multipliers are zero,
    // and it comes back as `next`). The four are then XORed together.
    constexpr FoldDistance kThree = FoldBy(3 * kLaneBits), kTwo = FoldBy(2 * kLaneBits),
                           kOne = FoldBy(kLaneBits);
    __m512i const spread =
        _mm512_set_epi64(0, 0, kOne.high, kOne.low, kTwo.high, kTwo.low, kThree.high, kThree.low);
    __m512i const folded = FoldInto(x0, spread, _mm512_maskz_mov_epi64(0xC0, x0));
    alignas(64) __m128i lanes[4];
    _mm512_store_si512(lanes, folded);
    __m128i const lane =
        _mm_xor_si128(_mm_xor_si128(lanes[0], lanes[1]), _mm_xor_si128(lanes[2], lanes[3]));
    return FinishFolding(lane, data, length);
}

}  // namespace velqon_internal
