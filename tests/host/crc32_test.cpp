#include <zlib.h>

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonThread.h"

namespace {

unsigned int crcOf(std::string text) {
    return Portable_crc32(&text[0], static_cast<unsigned int>(text.size()));
}

}  // namespace

// The standard check values, and 0 for no bytes without reading the pointer.
TEST(PortableCrc32Test, GivesTheCheckValues) {
    EXPECT_EQ(0xCBF43926u, crcOf("123456789"));
    EXPECT_EQ(0x352441C2u, crcOf("abc"));
    EXPECT_EQ(0u, Portable_crc32(nullptr, 0));
    // High bytes are 128..255, not negative: CRC-32 of the single byte 0xFF.
    EXPECT_EQ(0xFF000000u, crcOf("\xFF"));
}

// Every length around the block sizes and random lengths at every alignment agree with zlib.
TEST(PortableCrc32Test, MatchesZlibOverRandomBuffers) {
    std::mt19937 random(20261206);
    std::vector<unsigned char> buffer(70000);
    for (unsigned char& byte : buffer)
        byte = static_cast<unsigned char>(random());
    const auto check = [&buffer](size_t offset, size_t length) {
        unsigned char* start = buffer.data() + offset;
        EXPECT_EQ(crc32(0L, start, static_cast<uInt>(length)),
                  Portable_crc32(reinterpret_cast<char*>(start), static_cast<unsigned int>(length)))
            << "offset " << offset << " length " << length;
    };
    for (size_t length = 0; length <= 300; ++length)
        check(length % 16, length);
    for (int round = 0; round < 500; ++round) {
        const size_t offset = random() % 64;
        check(offset, random() % (buffer.size() - offset));
    }
}
