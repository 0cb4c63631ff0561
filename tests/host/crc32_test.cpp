#include <zlib.h>

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonThread.h"

// The standard check values, bytes 128..255 taken as unsigned, and 0 for no bytes without
// reading the pointer.
TEST(PortableCrc32Test, GivesTheCheckValues) {
    char digits[] = "123456789", abc[] = "abc", high[] = "\xFF";
    EXPECT_EQ(0xCBF43926u, Portable_crc32(digits, 9));
    EXPECT_EQ(0x352441C2u, Portable_crc32(abc, 3));
    EXPECT_EQ(0xFF000000u, Portable_crc32(high, 1));
    EXPECT_EQ(0u, Portable_crc32(nullptr, 0));
}

// Every length around the block sizes and random lengths at every alignment agree with zlib.
TEST(PortableCrc32Test, MatchesZlibOverRandomBuffers) {
    std::mt19937 random(20261206);
    std::vector<unsigned char> buffer(70000);
    for (unsigned char& byte : buffer) {
        byte = static_cast<unsigned char>(random());
    }
    for (size_t round = 0; round < 800; ++round) {
        const size_t offset = round <= 300 ? round % 16 : random() % 64;
        const size_t length = round <= 300 ? round : random() % (buffer.size() - offset);
        unsigned char* start = buffer.data() + offset;
        EXPECT_EQ(crc32(0L, start, static_cast<uInt>(length)),
                  Portable_crc32(reinterpret_cast<char*>(start), static_cast<unsigned int>(length)))
            << "offset " << offset << " length " << length;
    }
}
