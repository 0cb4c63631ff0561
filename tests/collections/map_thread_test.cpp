// Maps on several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "VelqonMfcContainers.h"
#include "collection_probes.h"

namespace {

// Larger maps keep an index in a side table shared by all maps. Threads that each keep many maps
// at once (so that the table grows and threads meet in its shards), growing past and shrinking
// below the indexed sizes again and again, while every thread also reads one unchanging indexed
// map, each see exactly their own entries.
TEST(MapThreadTest, MapsOnSeveralThreadsAtOnce) {
    CMapStringToPtr shared;
    for (int i = 0; i < 500; ++i) {
        shared[std::to_string(i).c_str()] = Value<void*>(i);
    }
    std::atomic<int> mismatches{0};
    auto work = [&shared, &mismatches](int thread) {
        std::vector<CMapPtrToPtr> maps(128);
        for (int round = 0; round < 6; ++round) {
            for (CMapPtrToPtr& map : maps) {
                for (int i = 1; i <= 40; ++i) {
                    map[Value<void*>(thread * 1000 + i)] = Value<void*>(i);
                }
            }
            for (CMapPtrToPtr& map : maps) {
                for (int i = 1; i <= 35; ++i) {
                    mismatches += map.RemoveKey(Value<void*>(thread * 1000 + i)) != 1;
                }
            }
            for (int i = 1; i <= 40; ++i) {
                void* value = nullptr;
                mismatches += maps[i].Lookup(Value<void*>(thread * 1000 + i), value) != (i > 35) ||
                              value != (i > 35 ? Value<void*>(i) : nullptr);
                mismatches += shared.Lookup(std::to_string(i * 12).c_str(), value) != 1 ||
                              value != Value<void*>(i * 12);
            }
        }
    };
    std::vector<std::thread> threads;
    for (int thread = 1; thread <= 4; ++thread) {
        threads.emplace_back(work, thread);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(0, mismatches.load());
}

}  // namespace
