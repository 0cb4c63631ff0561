// String benchmarks, each beside its baseline:
// - copy and destroy of a shared string, counted with the lock-free interlocked counters,
//   versus the same pointer copy with the count changed under one process-wide mutex;
// - building a string one character at a time (CPortableString grows to the exact length on
//   every append) versus std::string;
// - Format("%d %s") versus snprintf into a std::string.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <string>

#include <benchmark/benchmark.h>

#include "VelqonMFC.h"

namespace {

char const kSharedText[] = "a string shared by every benchmark thread";

// The baseline for the shared copy: a one-pointer string whose block count changes under one
// mutex shared by every count in the process, as a mutex-based counter would do it.
std::mutex g_countMutex;

struct MutexBlock {
    long count;
    char text[sizeof(kSharedText)];
};

class MutexCountedString {
public:
    explicit MutexCountedString(MutexBlock* block) : m_block(block) {}
    __attribute__((noinline)) MutexCountedString(MutexCountedString const& other)
        : m_block(other.m_block) {
        std::lock_guard<std::mutex> lock(g_countMutex);
        ++m_block->count;
    }
    __attribute__((noinline)) ~MutexCountedString() {
        std::lock_guard<std::mutex> lock(g_countMutex);
        --m_block->count;
    }
    MutexCountedString& operator=(MutexCountedString const&) = delete;
    char const* c_str() const { return m_block->text; }

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
        benchmark::DoNotOptimize(copy.c_str());
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

}  // namespace
