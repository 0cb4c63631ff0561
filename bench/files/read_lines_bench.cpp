// Reading a 50 MB text file line by line: CPortableStdioFile::ReadString into a CPortableString
// (127-character fgets chunks, one exactly sized block per line) against std::getline into a
// std::string (which keeps its capacity from line to line). Both read the same file, generated
// once in a private temporary directory and removed when the program exits.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "VelqonMFC.h"

namespace {

// Lines of 0 to 299 characters (mean about 150, so about a third span several chunks).
class LinesFile {
public:
    LinesFile() {
        char const* base = getenv("TMPDIR");
        directory_ = std::string(base != nullptr ? base : "/tmp") + "/velqon-bench-XXXXXX";
        if (mkdtemp(&directory_[0]) == nullptr) {
            abort();
        }
        path_ = directory_ + "/lines.txt";
        FILE* out = fopen(path_.c_str(), "w");
        if (out == nullptr) {
            abort();
        }
        unsigned int seed = 12345;
        std::string line;
        while (bytes_ < kTargetBytes) {
            seed = seed * 1103515245u + 12345u;
            line.assign((seed >> 8) % 300, static_cast<char>('a' + lines_ % 26));
            line += '\n';
            fwrite(line.data(), 1, line.size(), out);
            bytes_ += line.size();
            ++lines_;
        }
        fclose(out);
    }
    ~LinesFile() {
        unlink(path_.c_str());
        rmdir(directory_.c_str());
    }

    char const* path() const { return path_.c_str(); }
    long bytes() const { return static_cast<long>(bytes_); }
    size_t lines() const { return lines_; }

private:
    static size_t const kTargetBytes = 50u * 1024 * 1024;
    std::string directory_;
    std::string path_;
    size_t bytes_ = 0;
    size_t lines_ = 0;
};

LinesFile const& File() {
    static LinesFile const file;
    return file;
}

void BM_ReadStringIntoCPortableString(benchmark::State& state) {
    LinesFile const& file = File();
    for (auto _ : state) {
        CPortableStdioFile in(file.path(), 0x0);
        CPortableString line;
        size_t lines = 0;
        while (in.ReadString(line)) {
            ++lines;
        }
        if (lines != file.lines()) {
            state.SkipWithError("line count differs");
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * file.bytes());
}
BENCHMARK(BM_ReadStringIntoCPortableString)->Unit(benchmark::kMillisecond);

void BM_GetlineIntoStdString(benchmark::State& state) {
    LinesFile const& file = File();
    for (auto _ : state) {
        std::ifstream in(file.path());
        std::string line;
        size_t lines = 0;
        while (std::getline(in, line)) {
            ++lines;
        }
        if (lines != file.lines()) {
            state.SkipWithError("line count differs");
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * file.bytes());
}
BENCHMARK(BM_GetlineIntoStdString)->Unit(benchmark::kMillisecond);

}  // namespace
