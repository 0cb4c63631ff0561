// Process lookup against a direct count over /proc/<pid>/stat, and CRC-32 against zlib (and its
// engines against each other).
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <zlib.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "VelqonProcess.h"
#include "VelqonThread.h"
#include "crc32_paths.h"

namespace {

std::string OwnName() {
    std::string name;
    std::getline(std::ifstream("/proc/self/comm"), name);
    return name;
}

// Baseline: one read of /proc/<pid>/stat per process, the name taken between the first '('
// and the last ')'.
int CountByStat(std::string const& name) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return 0;
    }
    int count = 0;
    while (dirent const* entry = readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') {
            continue;
        }
        char path[300];
        snprintf(path, sizeof path, "/proc/%s/stat", entry->d_name);
        int const fd = open(path, O_RDONLY);
        if (fd < 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = read(fd, buffer, sizeof buffer - 1);
        close(fd);
        if (got <= 0) {
            continue;
        }
        buffer[got] = '\0';
        char const* open = strchr(buffer, '(');
        char const* close = strrchr(buffer, ')');
        if (open != nullptr && close != nullptr && close > open &&
            name.compare(0, std::string::npos, open + 1, close - open - 1) == 0) {
            ++count;
        }
    }
    closedir(proc);
    return count;
}

void BM_IsProcessRunning(benchmark::State& state) {
    const std::string name = OwnName();
    for (auto _ : state) {
        benchmark::DoNotOptimize(isProcessRunning(name.c_str()));
    }
}
BENCHMARK(BM_IsProcessRunning);

void BM_CountByStat(benchmark::State& state) {
    const std::string name = OwnName();
    for (auto _ : state) {
        benchmark::DoNotOptimize(CountByStat(name));
    }
}
BENCHMARK(BM_CountByStat);

std::vector<char> RandomBytes(size_t length) {
    std::mt19937 random(42);
    std::vector<char> bytes(length);
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

// Small buffers (where the set-up and the last bytes dominate) up to a buffer larger than L1.
void CrcSizes(benchmark::internal::Benchmark* b) {
    for (int64_t const size : {16, 64, 128, 255, 4096, 65536, 1 << 20}) {
        b->Arg(size);
    }
}

void BM_PortableCrc32(benchmark::State& state) {
    std::vector<char> bytes = RandomBytes(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Portable_crc32(bytes.data(), static_cast<unsigned int>(bytes.size())));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PortableCrc32)->Apply(CrcSizes);

void BM_ZlibCrc32(benchmark::State& state) {
    std::vector<char> bytes = RandomBytes(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(crc32(0L, reinterpret_cast<Bytef const*>(bytes.data()),
                                       static_cast<uInt>(bytes.size())));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ZlibCrc32)->Apply(CrcSizes);

// Each engine behind Portable_crc32 on its own: the 512-bit folding against the 128-bit folding
// it replaces where the processor has both, and the table every other processor uses.
void BM_Crc32Engine(benchmark::State& state, bool (*available)(),
                    velqon_internal::Crc32Function crc) {
    if (!available()) {
        state.SkipWithError("this processor lacks the instructions of this engine");
        return;
    }
    std::vector<char> bytes = RandomBytes(state.range(0));
    auto const* data = reinterpret_cast<unsigned char const*>(bytes.data());
    for (auto _ : state) {
        benchmark::DoNotOptimize(crc(data, bytes.size()));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK_CAPTURE(
    BM_Crc32Engine, Table, [] { return true; }, velqon_internal::Crc32Table)
    ->Apply(CrcSizes);
BENCHMARK_CAPTURE(BM_Crc32Engine, Clmul, velqon_internal::ProcessorHasClmul,
                  velqon_internal::Crc32Clmul)
    ->Apply(CrcSizes);
BENCHMARK_CAPTURE(BM_Crc32Engine, Vpclmul, velqon_internal::ProcessorHasVpclmul,
                  velqon_internal::Crc32Vpclmul)
    ->Apply(CrcSizes);

}  // namespace
