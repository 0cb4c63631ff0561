// Reading text files line by line, each row beside its standard-library counterpart:
// - CPortableStdioFile::ReadString into a CPortableString (one exactly sized block per line)
//   against std::getline into a std::string (which keeps its capacity from line to line), on a
//   50 MB file of lines of 0 to 299 characters;
// - a file read into a CStringList against std::getline into a std::list<std::string>, for
//   short lines (about 40 characters), long lines (about 300) and the mix;
// - one line of 1, 2 and 4 MiB without a line feed, against std::getline: the time of one call
//   must grow linearly with the line's length.
// Every file is generated once in a private temporary directory, removed when the program exits.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <list>
#include <string>

#include <benchmark/benchmark.h>

#include "VelqonMFC.h"
#include "VelqonMfcContainers.h"

namespace {

enum class Shape { kMix, kShort, kLong, kOneLine };

// A text file of about `bytes` bytes of lines of the given shape (the one-line shape: `bytes`
// characters and no line feed at all).
class LinesFile {
public:
    LinesFile(Shape shape, size_t bytes) {
        char const* base = getenv("TMPDIR");
        m_directory = std::string(base != nullptr ? base : "/tmp") + "/velqon-bench-XXXXXX";
        if (mkdtemp(&m_directory[0]) == nullptr) {
            abort();
        }
        m_path = m_directory + "/lines.txt";
        FILE* out = fopen(m_path.c_str(), "w");
        if (out == nullptr) {
            abort();
        }
        unsigned int seed = 12345;
        std::string line;
        while (m_bytes < bytes) {
            seed = seed * 1103515245u + 12345u;
            size_t const random = (seed >> 8) % 300;
            size_t const length = shape == Shape::kMix     ? random
                                  : shape == Shape::kShort ? 30 + random % 21
                                  : shape == Shape::kLong  ? 280 + random % 41
                                                           : bytes;
            line.assign(length, static_cast<char>('a' + m_lines % 26));
            if (shape != Shape::kOneLine) {
                line += '\n';
            }
            fwrite(line.data(), 1, line.size(), out);
            m_bytes += line.size();
            ++m_lines;
        }
        fclose(out);
    }
    ~LinesFile() {
        unlink(m_path.c_str());
        rmdir(m_directory.c_str());
    }

    char const* Path() const { return m_path.c_str(); }
    long Bytes() const { return static_cast<long>(m_bytes); }
    size_t Lines() const { return m_lines; }

private:
    std::string m_directory;
    std::string m_path;
    size_t m_bytes = 0;
    size_t m_lines = 0;
};

size_t const kFileBytes = 50u * 1024 * 1024;
size_t const kListFileBytes = 16u * 1024 * 1024;

LinesFile const& File(Shape shape, size_t bytes) {
    static LinesFile const mix(Shape::kMix, kFileBytes);
    static LinesFile const mixList(Shape::kMix, kListFileBytes);
    static LinesFile const shortLines(Shape::kShort, kListFileBytes);
    static LinesFile const longLines(Shape::kLong, kListFileBytes);
    static LinesFile const oneMiB(Shape::kOneLine, 1u << 20);
    static LinesFile const twoMiB(Shape::kOneLine, 2u << 20);
    static LinesFile const fourMiB(Shape::kOneLine, 4u << 20);
    switch (shape) {
        case Shape::kMix:
            return bytes == kFileBytes ? mix : mixList;
        case Shape::kShort:
            return shortLines;
        case Shape::kLong:
            return longLines;
        case Shape::kOneLine:
            break;
    }
    return bytes == 1u << 20 ? oneMiB : bytes == 2u << 20 ? twoMiB : fourMiB;
}

void BM_ReadStringIntoCPortableString(benchmark::State& state) {
    LinesFile const& file = File(Shape::kMix, kFileBytes);
    for (auto _ : state) {
        CPortableStdioFile in(file.Path(), 0x0);
        CPortableString line;
        size_t lines = 0;
        while (in.ReadString(line)) {
            ++lines;
        }
        if (lines != file.Lines()) {
            state.SkipWithError("line count differs");
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * file.Bytes());
}
BENCHMARK(BM_ReadStringIntoCPortableString)->Unit(benchmark::kMillisecond);

void BM_GetlineIntoStdString(benchmark::State& state) {
    LinesFile const& file = File(Shape::kMix, kFileBytes);
    for (auto _ : state) {
        std::ifstream in(file.Path());
        std::string line;
        size_t lines = 0;
        while (std::getline(in, line)) {
            ++lines;
        }
        if (lines != file.Lines()) {
            state.SkipWithError("line count differs");
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * file.Bytes());
}
BENCHMARK(BM_GetlineIntoStdString)->Unit(benchmark::kMillisecond);

// Argument: the line shape (0 mix, 1 short, 2 long); 16 MB files.
void BM_ReadIntoCStringList(benchmark::State& state) {
    LinesFile const& file = File(static_cast<Shape>(state.range(0)), kListFileBytes);
    for (auto _ : state) {
        CStringList list;
        CPortableStdioFile in(file.Path(), 0x0);
        CPortableString line;
        while (in.ReadString(line)) {
            list.AddTail(line);
        }
        if (static_cast<size_t>(list.GetCount()) != file.Lines()) {
            state.SkipWithError("line count differs");
        }
    }
    state.SetBytesProcessed(state.iterations() * file.Bytes());
}
BENCHMARK(BM_ReadIntoCStringList)->Arg(1)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_GetlineIntoStdList(benchmark::State& state) {
    LinesFile const& file = File(static_cast<Shape>(state.range(0)), kListFileBytes);
    for (auto _ : state) {
        std::list<std::string> list;
        std::ifstream in(file.Path());
        std::string line;
        while (std::getline(in, line)) {
            list.push_back(line);
        }
        if (list.size() != file.Lines()) {
            state.SkipWithError("line count differs");
        }
    }
    state.SetBytesProcessed(state.iterations() * file.Bytes());
}
BENCHMARK(BM_GetlineIntoStdList)->Arg(1)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);

// Argument: the line's length in MiB. ReadString returns 0 here: the line ends at end of file.
void BM_ReadStringOneLongLine(benchmark::State& state) {
    LinesFile const& file = File(Shape::kOneLine, static_cast<size_t>(state.range(0)) << 20);
    for (auto _ : state) {
        CPortableStdioFile in(file.Path(), 0x0);
        CPortableString line;
        in.ReadString(line);
        if (line.GetLength() != file.Bytes()) {
            state.SkipWithError("line length differs");
        }
    }
    state.SetBytesProcessed(state.iterations() * file.Bytes());
}
BENCHMARK(BM_ReadStringOneLongLine)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_GetlineOneLongLine(benchmark::State& state) {
    LinesFile const& file = File(Shape::kOneLine, static_cast<size_t>(state.range(0)) << 20);
    for (auto _ : state) {
        std::ifstream in(file.Path());
        std::string line;
        std::getline(in, line);
        if (static_cast<long>(line.size()) != file.Bytes()) {
            state.SkipWithError("line length differs");
        }
    }
    state.SetBytesProcessed(state.iterations() * file.Bytes());
}
BENCHMARK(BM_GetlineOneLongLine)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
