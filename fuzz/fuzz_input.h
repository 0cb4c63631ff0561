// Reads a fuzz input as a stream of small decisions. Reading past the end yields zeros, so a
// target never has to check the length and every input, however short, decodes to something.
#ifndef VELQON_FUZZ_INPUT_H
#define VELQON_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

class FuzzInput {
public:
    FuzzInput(uint8_t const* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return size_ == 0; }

    uint8_t byte() {
        if (size_ == 0) {
            return 0;
        }
        --size_;
        return *data_++;
    }

    // A value in [low, high], both included; high - low must stay below 65536.
    int range(int low, int high) {
        unsigned const span = static_cast<unsigned>(high - low) + 1;
        unsigned raw = byte();
        if (span > 256) {
            raw = raw << 8 | byte();
        }
        return low + static_cast<int>(raw % span);
    }

    // Up to `limit` bytes, the count chosen by the input.
    std::string bytes(int limit) { return take(static_cast<size_t>(range(0, limit))); }

    // Whatever is left.
    std::string rest() { return take(size_); }

private:
    std::string take(size_t count) {
        if (count > size_) {
            count = size_;
        }
        const std::string text(reinterpret_cast<char const*>(data_), count);
        data_ += count;
        size_ -= count;
        return text;
    }

    uint8_t const* data_;
    size_t size_;
};

// Stops the run on a mismatch: libFuzzer records the input as a crash, the replay test fails.
#define FUZZ_CHECK(condition)                                                             \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                      \
        }                                                                                 \
    } while (0)

#endif  // VELQON_FUZZ_INPUT_H
