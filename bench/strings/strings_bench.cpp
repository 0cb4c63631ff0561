// String benchmarks, each beside its baseline:
// - copy and destroy of a shared string, counted with the lock-free interlocked counters,
//   versus the same pointer copy with the count changed under one process-wide mutex;
// - building a string one character at a time (CPortableString grows to the exact length on
//   every append) versus std::string;
// - Format("%d %s") versus snprintf into a std::string;
// - splitting the fields out of one million log lines with Left, Mid, Right, Find, ReverseFind,
//   SpanExcluding, the trims, assignment and concatenation, versus the same steps with
//   std::string (whose short texts need no allocation at all).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "VelqonMFC.h"

namespace {

char const kSharedText[] = "a string shared by every benchmark thread";

// The baseline for the shared copy: a one-pointer string whose block count changes under one
// mutex shared by every count in the process, as a mutex-based counter would do it.
std::mutex countMutex;

struct MutexBlock {
    long count;
    char text[sizeof(kSharedText)];
};

class MutexCountedString {
public:
    explicit MutexCountedString(MutexBlock* block) : m_block(block) {}
    __attribute__((noinline)) MutexCountedString(MutexCountedString const& other)
        : m_block(other.m_block) {
        std::lock_guard<std::mutex> lock(countMutex);
        ++m_block->count;
    }
    __attribute__((noinline)) ~MutexCountedString() {
        std::lock_guard<std::mutex> lock(countMutex);
        --m_block->count;
    }
    MutexCountedString& operator=(MutexCountedString const&) = delete;
    char const* CStr() const { return m_block->text; }

private:
    MutexBlock* m_block;
};

void BM_SharedCopy_Interlocked(benchmark::State& state) {
    static CPortableString const shared(kSharedText);
    for (auto _ : state) {
        CPortableString copy(shared);
        benchmark::DoNotOptimize(static_cast<char const*>(copy));
    }
}
BENCHMARK(BM_SharedCopy_Interlocked)->Threads(1)->Threads(2)->UseRealTime();

void BM_SharedCopy_GlobalMutex(benchmark::State& state) {
    static MutexBlock block = {1, "a string shared by every benchmark thread"};
    static MutexCountedString const shared(&block);
    for (auto _ : state) {
        MutexCountedString copy(shared);
        benchmark::DoNotOptimize(copy.CStr());
    }
}
BENCHMARK(BM_SharedCopy_GlobalMutex)->Threads(1)->Threads(2)->UseRealTime();

void BM_AppendChars_CPortableString(benchmark::State& state) {
    int const count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CPortableString s;
        for (int i = 0; i < count; ++i) {
            s += static_cast<char>('a' + i % 26);
        }
        benchmark::DoNotOptimize(static_cast<char const*>(s));
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AppendChars_CPortableString)->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

void BM_AppendChars_StdString(benchmark::State& state) {
    int const count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::string s;
        for (int i = 0; i < count; ++i) {
            s += static_cast<char>('a' + i % 26);
        }
        benchmark::DoNotOptimize(s.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AppendChars_StdString)->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

void BM_FormatIntString_Format(benchmark::State& state) {
    for (auto _ : state) {
        CPortableString s;
        s.Format("%d %s", 123456, "items in the queue");
        benchmark::DoNotOptimize(static_cast<char const*>(s));
    }
}
BENCHMARK(BM_FormatIntString_Format);

void BM_FormatIntString_Snprintf(benchmark::State& state) {
    for (auto _ : state) {
        std::string s;
        int length = snprintf(nullptr, 0, "%d %s", 123456, "items in the queue");
        s.resize(static_cast<size_t>(length));
        snprintf(&s[0], s.size() + 1, "%d %s", 123456, "items in the queue");
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(BM_FormatIntString_Snprintf);

// One million log lines such as
//   "2026-12-06 10:11:12.345  WARN [worker-3] GET /api/v1/items/7241 status=404 time=12ms"
int const kLogLines = 1000000;

std::vector<std::string> const& LogLines() {
    static std::vector<std::string> const lines = [] {
        static char const* const kLevels[] = {"INFO", "WARN", "DEBUG", "ERROR"};
        static char const* const kMethods[] = {"GET", "POST", "DELETE"};
        static char const* const kPaths[] = {"/", "/api/v1/items/", "/static/img/logo-", "/q?"};
        std::vector<std::string> made;
        made.reserve(kLogLines);
        unsigned int seed = 4711;
        char text[160];
        for (int i = 0; i < kLogLines; ++i) {
            seed = seed * 1103515245u + 12345u;
            unsigned int const r = seed >> 8;
            snprintf(text, sizeof text,
                     "2026-12-06 %02u:%02u:%02u.%03u %5s [worker-%u] %s %s%u status=%u time=%ums",
                     r % 24, r / 24 % 60, r / 1440 % 60, r % 1000, kLevels[r % 4], r % 16,
                     kMethods[r / 7 % 3], kPaths[r / 3 % 4], r % 100000, 200 + r / 11 % 4 * 100,
                     r / 13 % 5000);
            made.emplace_back(text);
        }
        return made;
    }();
    return lines;
}

std::vector<CPortableString> const& PortableLogLines() {
    static std::vector<CPortableString> const lines = [] {
        std::vector<CPortableString> made;
        made.reserve(kLogLines);
        for (std::string const& line : LogLines()) {
            made.emplace_back(line.c_str());
        }
        return made;
    }();
    return lines;
}

// What both versions compute from the fields, so that neither can skip work.
long Digest(char const* a, char const* b, char const* c, int length) {
    return length + a[0] + b[0] + c[0];
}

// Keeps `digest` from being optimised away and stops the benchmark when one iteration's digest
// differs from the previous one's (`expected`, -1 before the first).
void CheckDigest(benchmark::State& state, long digest, long& expected) {
    benchmark::DoNotOptimize(digest);
    if (expected != -1 && digest != expected) {
        state.SkipWithError("digest differs between runs");
    }
    expected = digest;
}

void BM_SplitLogFields_CPortableString(benchmark::State& state) {
    std::vector<CPortableString> const& lines = PortableLogLines();
    long expected = -1;
    for (auto _ : state) {
        long digest = 0;
        for (CPortableString const& line : lines) {
            CPortableString const date = line.Left(10);
            CPortableString const time = line.Mid(11, 12);
            CPortableString level = line.Mid(23, 7);
            level.TrimLeft();
            level.TrimRight();
            int const open = line.Find('[', 24);
            int const close = line.Find(']', open);
            CPortableString const worker = line.Mid(open + 1, close - open - 1);
            CPortableString const request = line.Mid(close + 2);
            int const space = request.Find(' ');
            CPortableString const method = request.Left(space);
            CPortableString const path = request.Mid(space + 1).SpanExcluding(" ");
            int const status = request.Find("status=");
            CPortableString const code = request.Mid(status + 7, 3);
            CPortableString const elapsed =
                line.Right(line.GetLength() - line.ReverseFind('=') - 1);
            CPortableString key = worker + ':' + level;
            key += '/';
            key += method;
            CPortableString label;
            label = path;
            label += " -> ";
            label += code;
            digest += Digest(date, time, elapsed, key.GetLength() + label.GetLength());
        }
        CheckDigest(state, digest, expected);
    }
    state.counters["digest"] = static_cast<double>(expected);
    state.SetItemsProcessed(state.iterations() * kLogLines);
}
BENCHMARK(BM_SplitLogFields_CPortableString)->Unit(benchmark::kMillisecond);

void BM_SplitLogFields_StdString(benchmark::State& state) {
    std::vector<std::string> const& lines = LogLines();
    long expected = -1;
    for (auto _ : state) {
        long digest = 0;
        for (std::string const& line : lines) {
            std::string const date = line.substr(0, 10);
            std::string const time = line.substr(11, 12);
            std::string level = line.substr(23, 7);
            level.erase(0, level.find_first_not_of(" \t\n\v\f\r"));
            level.erase(level.find_last_not_of(" \t\n\v\f\r") + 1);
            size_t const open = line.find('[', 24);
            size_t const close = line.find(']', open);
            std::string const worker = line.substr(open + 1, close - open - 1);
            std::string const request = line.substr(close + 2);
            size_t const space = request.find(' ');
            std::string const method = request.substr(0, space);
            std::string const rest = request.substr(space + 1);
            std::string const path = rest.substr(0, rest.find_first_of(' '));
            size_t const status = request.find("status=");
            std::string const code = request.substr(status + 7, 3);
            std::string const elapsed = line.substr(line.rfind('=') + 1);
            std::string key = worker + ':' + level;
            key += '/';
            key += method;
            std::string label;
            label = path;
            label += " -> ";
            label += code;
            digest += Digest(date.c_str(), time.c_str(), elapsed.c_str(),
                             static_cast<int>(key.size() + label.size()));
        }
        CheckDigest(state, digest, expected);
    }
    state.counters["digest"] = static_cast<double>(expected);
    state.SetItemsProcessed(state.iterations() * kLogLines);
}
BENCHMARK(BM_SplitLogFields_StdString)->Unit(benchmark::kMillisecond);

}  // namespace
