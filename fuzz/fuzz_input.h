// Reads a fuzz input as a stream of small decisions. Reading past the end yields zeros, so a
// target never has to check the length and every input, however short, decodes to something.
#ifndef VELQON_FUZZ_INPUT_H
#define VELQON_FUZZ_INPUT_H

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

class FuzzInput {
public:
    FuzzInput(uint8_t const* data, size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_size == 0; }

    uint8_t Byte() { return m_size == 0 ? 0 : (--m_size, *m_data++); }

    // A value in [low, high], both included; high - low must stay below 65536.
    int Range(int low, int high) {
        unsigned const span = static_cast<unsigned>(high - low) + 1;
        unsigned raw = Byte();
        if (span > 256) {
            raw = raw << 8 | Byte();  // a statement of its own: the two reads keep their order
        }
        return low + static_cast<int>(raw % span);
    }

    // Eight bytes, the first the most significant.
    uint64_t Word() {
        uint64_t word = 0;
        for (int i = 0; i < 8; ++i) {
            word = word << 8 | Byte();
        }
        return word;
    }

    std::string Bytes(int limit) { return Take(static_cast<size_t>(Range(0, limit))); }

    std::string Rest() { return Take(m_size); }

private:
    std::string Take(size_t count) {
        count = std::min(count, m_size);
        m_data += count;
        m_size -= count;
        return std::string(reinterpret_cast<char const*>(m_data - count), count);
    }

    uint8_t const* m_data;
    size_t m_size;
};

// Stops the run on a mismatch: libFuzzer records the input as a crash, the replay test fails.
#define FUZZ_CHECK(condition)                                                                     \
    ((condition) ? void()                                                                         \
                 : (fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), \
                    abort()))

#endif  // VELQON_FUZZ_INPUT_H
