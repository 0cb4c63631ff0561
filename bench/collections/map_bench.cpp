// The map classes at every size, each operation timed against std::unordered_map in the same
// iteration: inserting N keys into an empty map (default bucket count), looking up N present
// and N absent keys, and removing all N keys, for N from 1,000 to 1,000,000 (word keys: up to
// all 65,536). Each row reports the library's time per operation (ns_per_op), the standard
// map's (std_ns_per_op) and their ratio, all in CPU time of the benchmark thread. The Small rows
// time maps of 1 to 16 keys: a whole life (construct, insert, look up, remove, destroy) and lookups
// alone.
#include <benchmark/benchmark.h>
#include <stdint.h>
#include <stdio.h>
#include <time.h>

#include <algorithm>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "VelqonMfcContainers.h"

namespace {

constexpr int kMostKeys = 1000000;

// Present keys are numbers [0, n), absent keys [n, 2n), both visited in a shuffled order.
std::vector<int> Shuffled(int first, int count, unsigned seed) {
    std::vector<int> numbers(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        numbers[static_cast<size_t>(i)] = first + i;
    }
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(seed));
    return numbers;
}

// Pointer keys: addresses of distinct objects of one pool.
struct PtrKeys {
    using Arg = void*;
    using Std = void*;
    static void* Key(int i) {
        static std::vector<int> pool(2 * kMostKeys);
        return &pool[static_cast<size_t>(i)];
    }
    static void* StdKey(int i) { return Key(i); }
};

struct WordKeys {
    using Arg = unsigned short;
    using Std = unsigned short;
    static unsigned short Key(int i) { return static_cast<unsigned short>(i); }
    static unsigned short StdKey(int i) { return Key(i); }
};

// String keys such as "key0001234": the same characters for both maps, built once.
struct StringKeys {
    using Arg = char const*;
    using Std = std::string;
    static std::string const& Text(int i) {
        static std::vector<std::string> const texts = [] {
            std::vector<std::string> made;
            char text[32];
            for (int k = 0; k < 2 * kMostKeys; ++k) {
                snprintf(text, sizeof text, "key%07d", k);
                made.emplace_back(text);
            }
            return made;
        }();
        return texts[static_cast<size_t>(i)];
    }
    static char const* Key(int i) { return Text(i).c_str(); }
    static std::string const& StdKey(int i) { return Text(i); }
};

// Values: a pointer made from the number, or one shared string.
struct PtrValues {
    using Type = void*;
    using Std = void*;
    static void* Value(int i) { return reinterpret_cast<void*>(static_cast<uintptr_t>(i) + 1); }
    static void* StdValue(int i) { return Value(i); }
};

struct ObValues {
    using Type = CObject*;
    using Std = CObject*;
    static CObject* Value(int i) { return static_cast<CObject*>(PtrValues::Value(i)); }
    static CObject* StdValue(int i) { return Value(i); }
};

struct StringValues {
    using Type = CPortableString;
    using Std = std::string;
    static CPortableString const& Value(int) {
        static CPortableString const value("value");
        return value;
    }
    static std::string StdValue(int) { return "value"; }
};

template <class M, class K, class V>
struct Case {
    using Map = M;
    using Keys = K;
    using Values = V;
    using StdMap = std::unordered_map<typename K::Std, typename V::Std>;
};

using PtrToPtr = Case<CMapPtrToPtr, PtrKeys, PtrValues>;
using WordToPtr = Case<CMapWordToPtr, WordKeys, PtrValues>;
using StringToString = Case<CMapStringToString, StringKeys, StringValues>;
using StringToPtr = Case<CMapStringToPtr, StringKeys, PtrValues>;
using StringToOb = Case<CMapStringToOb, StringKeys, ObValues>;

template <class C>
void Fill(typename C::Map& map, std::vector<int> const& keys) {
    for (int k : keys) {
        map[C::Keys::Key(k)] = C::Values::Value(k);
    }
}

template <class C>
void Fill(typename C::StdMap& map, std::vector<int> const& keys) {
    for (int k : keys) {
        map[C::Keys::StdKey(k)] = C::Values::StdValue(k);
    }
}

template <class C>
int LookUp(typename C::Map const& map, std::vector<int> const& keys) {
    typename C::Values::Type value{};
    int found = 0;
    for (int k : keys) {
        found += map.Lookup(C::Keys::Key(k), value);
    }
    benchmark::DoNotOptimize(value);
    return found;
}

template <class C>
int LookUp(typename C::StdMap const& map, std::vector<int> const& keys) {
    int found = 0;
    for (int k : keys) {
        auto const entry = map.find(C::Keys::StdKey(k));
        if (entry != map.end()) {
            benchmark::DoNotOptimize(entry->second);
            ++found;
        }
    }
    return found;
}

template <class C>
int Remove(typename C::Map& map, std::vector<int> const& keys) {
    int removed = 0;
    for (int k : keys) {
        removed += map.RemoveKey(C::Keys::Key(k));
    }
    return removed;
}

template <class C>
int Remove(typename C::StdMap& map, std::vector<int> const& keys) {
    int removed = 0;
    for (int k : keys) {
        removed += static_cast<int>(map.erase(C::Keys::StdKey(k)));
    }
    return removed;
}

// CPU time of the calling thread: on a machine shared with other work, the time this thread
// ran rather than the time that passed.
double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times one side of an iteration (thread CPU time) and adds it to `total`.
template <class Work>
double Timed(double& total, Work work) {
    double const start = ThreadSeconds();
    work();
    double const seconds = ThreadSeconds() - start;
    total += seconds;
    return seconds;
}

void Report(benchmark::State& state, double library, double standard, double operations) {
    operations *= static_cast<double>(state.iterations());
    state.counters["ns_per_op"] = library * 1e9 / operations;
    state.counters["std_ns_per_op"] = standard * 1e9 / operations;
    state.counters["ratio"] = library / standard;
}

enum class Op { kInsert, kLookupPresent, kLookupAbsent, kRemove };

// Builds the shared keys and values before anything is timed.
template <class C>
void WarmUp() {
    benchmark::DoNotOptimize(C::Keys::Key(0));
    benchmark::DoNotOptimize(C::Values::Value(0));
}

template <class C, Op Operation>
void BM_Map(benchmark::State& state) {
    WarmUp<C>();
    int const n = static_cast<int>(state.range(0));
    std::vector<int> const present = Shuffled(0, n, 1);
    std::vector<int> const probes =
        Operation == Op::kLookupAbsent ? Shuffled(n, n, 2) : Shuffled(0, n, 3);
    typename C::Map built;
    typename C::StdMap stdBuilt;
    if (Operation == Op::kLookupPresent || Operation == Op::kLookupAbsent) {
        Fill<C>(built, present);
        Fill<C>(stdBuilt, present);
    }
    double library = 0;
    double standard = 0;
    int const expected = Operation == Op::kLookupAbsent ? 0 : n;
    for (auto _ : state) {
        int done = 0;
        int stdDone = 0;
        if (Operation == Op::kInsert) {
            typename C::Map map;
            typename C::StdMap stdMap;
            state.SetIterationTime(Timed(library, [&] { Fill<C>(map, present); }));
            Timed(standard, [&] { Fill<C>(stdMap, present); });
            done = map.GetCount();
            stdDone = static_cast<int>(stdMap.size());
        } else if (Operation == Op::kRemove) {
            typename C::Map map;
            typename C::StdMap stdMap;
            Fill<C>(map, present);
            Fill<C>(stdMap, present);
            state.SetIterationTime(Timed(library, [&] { done = Remove<C>(map, probes); }));
            Timed(standard, [&] { stdDone = Remove<C>(stdMap, probes); });
        } else {
            state.SetIterationTime(Timed(library, [&] { done = LookUp<C>(built, probes); }));
            Timed(standard, [&] { stdDone = LookUp<C>(stdBuilt, probes); });
        }
        if (done != expected || stdDone != expected) {
            state.SkipWithError("wrong result");
            break;
        }
    }
    Report(state, library, standard, n);
}

// Many maps of `n` keys, one after the other: each constructed, filled, every key and one absent
// key looked up, every key removed, and destroyed.
template <class C>
void BM_SmallLife(benchmark::State& state) {
    WarmUp<C>();
    int const n = static_cast<int>(state.range(0));
    std::vector<int> const keys = Shuffled(0, n, 4);
    std::vector<int> probes = Shuffled(0, n, 5);
    probes.push_back(n);
    constexpr int kMaps = 1000;
    double library = 0;
    double standard = 0;
    for (auto _ : state) {
        int found = 0;
        state.SetIterationTime(Timed(library, [&] {
            for (int i = 0; i < kMaps; ++i) {
                typename C::Map map;
                Fill<C>(map, keys);
                found += LookUp<C>(map, probes);
                found += Remove<C>(map, keys);
            }
        }));
        Timed(standard, [&] {
            for (int i = 0; i < kMaps; ++i) {
                typename C::StdMap map;
                Fill<C>(map, keys);
                found += LookUp<C>(map, probes);
                found += Remove<C>(map, keys);
            }
        });
        benchmark::DoNotOptimize(found);
    }
    Report(state, library, standard, kMaps);
}

// Lookups of every key and one absent key in one map of `n` keys, repeated.
template <class C>
void BM_SmallLookup(benchmark::State& state) {
    WarmUp<C>();
    int const n = static_cast<int>(state.range(0));
    std::vector<int> const keys = Shuffled(0, n, 6);
    std::vector<int> probes = Shuffled(0, n, 7);
    probes.push_back(n);
    typename C::Map map;
    typename C::StdMap stdMap;
    Fill<C>(map, keys);
    Fill<C>(stdMap, keys);
    constexpr int kRounds = 1000;
    double library = 0;
    double standard = 0;
    for (auto _ : state) {
        int found = 0;
        state.SetIterationTime(Timed(library, [&] {
            for (int i = 0; i < kRounds; ++i) {
                found += LookUp<C>(map, probes);
            }
        }));
        Timed(standard, [&] {
            for (int i = 0; i < kRounds; ++i) {
                found += LookUp<C>(stdMap, probes);
            }
        });
        benchmark::DoNotOptimize(found);
    }
    Report(state, library, standard, static_cast<double>(kRounds) * static_cast<double>(n + 1));
}

// Registers every row of one map class. Word keys run out at 65,536: every key is present at the
// largest size, so absent lookups stop at half of them.
template <class C>
int Register(char const* name, std::vector<int> const& sizes, std::vector<int> const& absentSizes) {
    struct Row {
        char const* op;
        void (*function)(benchmark::State&);
        std::vector<int> const& sizes;
        benchmark::TimeUnit unit;
    };
    std::vector<int> const small = {1, 4, 16};
    Row const rows[] = {
        {"Insert", BM_Map<C, Op::kInsert>, sizes, benchmark::kMillisecond},
        {"LookupPresent", BM_Map<C, Op::kLookupPresent>, sizes, benchmark::kMillisecond},
        {"LookupAbsent", BM_Map<C, Op::kLookupAbsent>, absentSizes, benchmark::kMillisecond},
        {"Remove", BM_Map<C, Op::kRemove>, sizes, benchmark::kMillisecond},
        {"SmallLife", BM_SmallLife<C>, small, benchmark::kMicrosecond},
        {"SmallLookup", BM_SmallLookup<C>, small, benchmark::kMicrosecond},
    };
    for (Row const& row : rows) {
        benchmark::internal::Benchmark* const bench =
            benchmark::RegisterBenchmark((std::string(name) + "/" + row.op).c_str(), row.function);
        for (int size : row.sizes) {
            bench->Arg(size);
        }
        bench->UseManualTime()->Unit(row.unit);
    }
    return 0;
}

std::vector<int> const kSizes = {1000, 10000, 100000, 1000000};
int const kRegistered[] = {
    Register<PtrToPtr>("CMapPtrToPtr", kSizes, kSizes),
    Register<WordToPtr>("CMapWordToPtr", {1000, 10000, 65536}, {1000, 10000, 32768}),
    Register<StringToString>("CMapStringToString", kSizes, kSizes),
    Register<StringToPtr>("CMapStringToPtr", kSizes, kSizes),
    Register<StringToOb>("CMapStringToOb", kSizes, kSizes),
};

}  // namespace
