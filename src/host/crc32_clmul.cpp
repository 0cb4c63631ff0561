// The 128-bit folding engine of CRC-32: four lanes run side by side, each moved forward past
// the 64 bytes that follow it and XORed into the next block there, 64 bytes per round; then
// the lanes are folded into one and the rest goes through FinishFolding.
#include "crc32_fold.h"

namespace velqon_internal {

VELQON_CLMUL uint32_t Crc32Clmul(unsigned char const* data, size_t length) {
    if (length < 16) {
        return Crc32Table(data, length);
    }
    // The register (all ones) acts as XORed into the first four message bytes.
    __m128i x0 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(-1));
    data += 16;
    length -= 16;
    if (length >= size_t{3} * 16) {
        constexpr FoldDistance kBy1 = FoldBy(kLaneBits), kBy4 = FoldBy(4 * kLaneBits);
        __m128i const by1 = Multipliers(kBy1), by4 = Multipliers(kBy4);
        __m128i x1 = Load(data), x2 = Load(data + 16), x3 = Load(data + 32);
        data += 48;
        length -= 48;
        for (; length >= 64; data += 64, length -= 64) {
            x0 = _mm_xor_si128(FoldForward(x0, by4), Load(data));
            x1 = _mm_xor_si128(FoldForward(x1, by4), Load(data + 16));
            x2 = _mm_xor_si128(FoldForward(x2, by4), Load(data + 32));
            x3 = _mm_xor_si128(FoldForward(x3, by4), Load(data + 48));
        }
        x0 = _mm_xor_si128(FoldForward(x0, by1), x1);
        x0 = _mm_xor_si128(FoldForward(x0, by1), x2);
        x0 = _mm_xor_si128(FoldForward(x0, by1), x3);
    }
    return FinishFolding(x0, data, length);
}

}  // namespace velqon_internal
