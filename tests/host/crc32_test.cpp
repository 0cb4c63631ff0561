#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonThread.h"
#include "crc32_paths.h"

// The standard check values, bytes 128..255 taken as unsigned, and 0 for no bytes without
// reading the pointer.
TEST(PortableCrc32Test, GivesTheCheckValues) {
    char digits[] = "123456789", abc[] = "abc", high[] = "\xFF";
    EXPECT_EQ(0xCBF43926u, Portable_crc32(digits, 9));
    EXPECT_EQ(0x352441C2u, Portable_crc32(abc, 3));
    EXPECT_EQ(0xFF000000u, Portable_crc32(high, 1));
    EXPECT_EQ(0u, Portable_crc32(nullptr, 0));
}

struct Crc32Engine {
    char const* name;
    bool (*available)();
    velqon_internal::Crc32Function crc;
};

// Test names show the engine's name rather than the bytes of the struct.
void PrintTo(Crc32Engine const& engine, std::ostream* out) {
    *out << engine.name;
}

class Crc32EngineTest : public testing::TestWithParam<Crc32Engine> {};

// Each engine, and Portable_crc32 with the one it picks, agrees with zlib on every length up
// to 1 KiB and on long buffers at every alignment.
TEST_P(Crc32EngineTest, MatchesZlib) {
    if (!GetParam().available()) {
        GTEST_SKIP() << "this processor lacks the instructions of the " << GetParam().name
                     << " engine";
    }
    std::mt19937 random(20261206);
    std::vector<unsigned char> buffer(70000);
    for (unsigned char& byte : buffer) {
        byte = static_cast<unsigned char>(random());
    }
    auto const check = [&](size_t offset, size_t length) {
        unsigned char const* start = buffer.data() + offset;
        EXPECT_EQ(crc32(0L, start, static_cast<uInt>(length)), GetParam().crc(start, length))
            << "offset " << offset << " length " << length;
    };
    for (size_t length = 0; length <= 1024; ++length) {
        check(length % 64, length);
    }
    for (size_t offset = 0; offset < 64; ++offset) {
        check(offset, buffer.size() - 64 - random() % 4096);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Engines, Crc32EngineTest,
    testing::Values(
        Crc32Engine{"Table", [] { return true; }, velqon_internal::Crc32Table},
        Crc32Engine{"Clmul", velqon_internal::ProcessorHasClmul, velqon_internal::Crc32Clmul},
        Crc32Engine{"Vpclmul", velqon_internal::ProcessorHasVpclmul, velqon_internal::Crc32Vpclmul},
        Crc32Engine{"Portable_crc32", [] { return true; },
                    [](unsigned char const* data, size_t length) {
                        return Portable_crc32(
                            reinterpret_cast<char*>(const_cast<unsigned char*>(data)),
                            static_cast<unsigned int>(length));
                    }}),
    [](testing::TestParamInfo<Crc32Engine> const& info) { return std::string(info.param.name); });
