// The byte-wise CRC-32 engine: one table look-up per byte.
#include <array>

#include "crc32_paths.h"

namespace velqon_internal {
namespace {

constexpr std::array<uint32_t, 256> MakeByteTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit) {
            r = (r >> 1) ^ ((r & 1) ? kCrc32Polynomial : 0);
        }
        table[i] = r;
    }
    return table;
}

// Entry i is the register after eight shift-and-conditional-XOR steps from i.
constexpr std::array<uint32_t, 256> crc_32_tab = MakeByteTable();

}  // namespace

uint32_t Crc32Table(unsigned char const* data, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc = (crc >> 8) ^ crc_32_tab[(crc ^ data[i]) & 0xFF];
    }
    return ~crc;
}

}  // namespace velqon_internal
