// The engines behind Portable_crc32. Each computes the whole CRC-32 of `length` bytes (register
// started at 0xFFFFFFFF, result complemented, 0 for no bytes) and all give identical results;
// they differ only in the instructions they use. Portable_crc32 picks the fastest one the
// processor runs, once; the tests call each one the processor can run.
#ifndef VELQON_HOST_CRC32_PATHS_H
#define VELQON_HOST_CRC32_PATHS_H

#include <stddef.h>
#include <stdint.h>

namespace velqon_internal {

using Crc32Function = uint32_t (*)(unsigned char const* data, size_t length);

// The reflected polynomial 0xEDB88320: bit i holds the coefficient of x^(31-i) of
// x^32 + x^26 + x^23 + x^22 + x^16 + x^12 + x^11 + x^10 + x^8 + x^7 + x^5 + x^4 + x^2 + x + 1,
// the x^32 term left implicit.
constexpr uint32_t kCrc32Polynomial = 0xEDB88320u;

// One byte at a time through a 256-entry table: runs everywhere.
uint32_t Crc32Table(unsigned char const* data, size_t length);

// Folding 16-byte blocks with the 128-bit carry-less multiply (PCLMULQDQ and SSSE3).
bool ProcessorHasClmul();
uint32_t Crc32Clmul(unsigned char const* data, size_t length);

// Folding 64-byte blocks with the 512-bit carry-less multiply (VPCLMULQDQ with AVX-512 F, BW
// and VL, and an operating system that saves the 512-bit registers). Short buffers go through
// Crc32Clmul, which every such processor runs too.
bool ProcessorHasVpclmul();
uint32_t Crc32Vpclmul(unsigned char const* data, size_t length);

}  // namespace velqon_internal

#endif  // VELQON_HOST_CRC32_PATHS_H
