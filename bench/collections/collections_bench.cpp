// Collections against their standard library counterparts, on the workloads ported code runs:
// reading lines into a string list, appending to a DWORD array, and string-keyed maps with the
// legacy default of 17 buckets versus a table sized for the data.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "VelqonMfcContainers.h"

namespace {

constexpr int kCount = 100000;

// kCount distinct lines of text, as C strings kept alive for the whole run.
std::vector<std::string> const& Lines() {
    static std::vector<std::string> const lines = [] {
        std::vector<std::string> made;
        char text[64];
        for (int i = 0; i < kCount; ++i) {
            snprintf(text, sizeof text, "line %d of the input file", i);
            made.emplace_back(text);
        }
        return made;
    }();
    return lines;
}

// The same lines as library strings, as a line reader would hand them over.
std::vector<CPortableString> const& PortableLines() {
    static std::vector<CPortableString> const lines = [] {
        std::vector<CPortableString> made;
        for (std::string const& line : Lines()) {
            made.emplace_back(line.c_str());
        }
        return made;
    }();
    return lines;
}

// AddTail of a string the caller already holds: the element shares its block.
void BM_CStringList_AddTailShared(benchmark::State& state) {
    for (auto _ : state) {
        CStringList list;
        for (CPortableString const& line : PortableLines()) {
            list.AddTail(line);
        }
        benchmark::DoNotOptimize(list.GetCount());
    }
}
BENCHMARK(BM_CStringList_AddTailShared)->Unit(benchmark::kMillisecond);

// AddTail of a C string: one block allocated per element, as std::list<std::string> does.
void BM_CStringList_AddTailText(benchmark::State& state) {
    for (auto _ : state) {
        CStringList list;
        for (std::string const& line : Lines()) {
            list.AddTail(line.c_str());
        }
        benchmark::DoNotOptimize(list.GetCount());
    }
}
BENCHMARK(BM_CStringList_AddTailText)->Unit(benchmark::kMillisecond);

void BM_StdList_PushBack(benchmark::State& state) {
    for (auto _ : state) {
        std::list<std::string> list;
        for (std::string const& line : Lines()) {
            list.push_back(line);
        }
        benchmark::DoNotOptimize(list.size());
    }
}
BENCHMARK(BM_StdList_PushBack)->Unit(benchmark::kMillisecond);

// SetAtGrow at the end with the automatic step, which stops growing past 1024 slots at a time,
// so past 8200 elements every 1024 appends copy the whole array.
void BM_CDWordArray_SetAtGrow(benchmark::State& state) {
    for (auto _ : state) {
        CDWordArray array;
        for (int i = 0; i < kCount; ++i) {
            array.SetAtGrow(i, static_cast<unsigned int>(i));
        }
        benchmark::DoNotOptimize(array.GetData());
    }
}
BENCHMARK(BM_CDWordArray_SetAtGrow)->Unit(benchmark::kMicrosecond);

// The same with a step chosen for the data (SetSize(0, 65536)).
void BM_CDWordArray_SetAtGrowLargeStep(benchmark::State& state) {
    for (auto _ : state) {
        CDWordArray array;
        array.SetSize(0, 65536);
        for (int i = 0; i < kCount; ++i) {
            array.SetAtGrow(i, static_cast<unsigned int>(i));
        }
        benchmark::DoNotOptimize(array.GetData());
    }
}
BENCHMARK(BM_CDWordArray_SetAtGrowLargeStep)->Unit(benchmark::kMicrosecond);

void BM_StdVector_PushBack(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<unsigned int> vector;
        for (int i = 0; i < kCount; ++i) {
            vector.push_back(static_cast<unsigned int>(i));
        }
        benchmark::DoNotOptimize(vector.data());
    }
}
BENCHMARK(BM_StdVector_PushBack)->Unit(benchmark::kMicrosecond);

// Inserts every line as key and value, then looks every key up. state.range(0) is the bucket
// count; 17 is the legacy default, so each bucket chain holds about kCount / 17 keys.
void BM_CMapStringToString_InsertLookup(benchmark::State& state) {
    for (auto _ : state) {
        CMapStringToString map;
        map.InitHashTable(static_cast<unsigned int>(state.range(0)));
        for (CPortableString const& line : PortableLines()) {
            map[line] = line;
        }
        CPortableString value;
        int found = 0;
        for (CPortableString const& line : PortableLines()) {
            found += map.Lookup(line, value);
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_CMapStringToString_InsertLookup)->Arg(17)->Arg(131071)->Unit(benchmark::kMillisecond);

void BM_StdUnorderedMap_InsertLookup(benchmark::State& state) {
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> map;
        for (std::string const& line : Lines()) {
            map[line] = line;
        }
        int found = 0;
        for (std::string const& line : Lines()) {
            found += static_cast<int>(map.count(line));
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_StdUnorderedMap_InsertLookup)->Unit(benchmark::kMillisecond);

// Pointer keys all hash to 0: every insertion and lookup walks one chain of all entries.
void BM_CMapPtrToPtr_InsertLookup(benchmark::State& state) {
    std::vector<int> objects(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        CMapPtrToPtr map;
        for (int& object : objects) {
            map[&object] = &object;
        }
        void* value = nullptr;
        int found = 0;
        for (int& object : objects) {
            found += map.Lookup(&object, value);
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_CMapPtrToPtr_InsertLookup)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_StdUnorderedMapPtr_InsertLookup(benchmark::State& state) {
    std::vector<int> objects(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::unordered_map<void*, void*> map;
        for (int& object : objects) {
            map[&object] = &object;
        }
        int found = 0;
        for (int& object : objects) {
            found += static_cast<int>(map.count(&object));
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_StdUnorderedMapPtr_InsertLookup)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
