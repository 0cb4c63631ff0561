// The maps with pointer and word keys: one behaviour suite run on all four.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "VelqonMfcContainers.h"
#include "allocation.h"
#include "collection_probes.h"

namespace {

template <class X>
class WordMapTest : public ::testing::Test {
protected:
    using K = typename X::KeyArg;
    using V = typename X::Value;

    static K Key(int i) { return Value<K>(i); }

    // The keys in walk order; every value must be 10 * its key.
    static std::vector<int> WalkKeys(X const& map) {
        std::vector<int> keys;
        for (POSITION position = map.GetStartPosition(); position != nullptr;) {
            K key;
            V value;
            map.GetNextAssoc(position, key, value);
            EXPECT_EQ(AsInt(key) * 10, AsInt(value));
            keys.push_back(AsInt(key));
        }
        return keys;
    }

    void Insert(std::vector<int> const& keys) {
        for (int key : keys) {
            map.SetAt(Key(key), Value<V>(key * 10));
        }
    }

    MapProbe<X> map{10};
};

using WordMaps = ::testing::Types<CMapPtrToPtr, CMapPtrToWord, CMapWordToPtr, CMapWordToOb>;
TYPED_TEST_SUITE(WordMapTest, WordMaps);

// A new map has no bucket array (GetAssocAt still reports bucket 0); operator[] inserts an absent
// key once, with a zero value; every key is in bucket 0 at the head of the chain, so a walk
// visits the newest first, and removals keep the order of the rest.
TYPED_TEST(WordMapTest, InsertWalkRemove) {
    typename TestFixture::V value = Value<typename TestFixture::V>(5);
    EXPECT_EQ(0, this->map.Lookup(this->Key(1), value));
    EXPECT_EQ(0, this->map.RemoveKey(this->Key(1)));
    unsigned int bucket = 99;
    EXPECT_EQ(nullptr, this->map.GetAssocAt(this->Key(1), bucket));
    EXPECT_EQ(0u, bucket);
    EXPECT_EQ(nullptr, this->map.GetStartPosition());

    auto& inserted = this->map[this->Key(3)];
    EXPECT_EQ(0, AsInt(inserted));
    EXPECT_EQ(&inserted, &this->map[this->Key(3)]);
    EXPECT_EQ(1, this->map.GetCount());
    this->Insert({1, 2, 3, 4});
    EXPECT_EQ((std::vector<int>{4, 2, 1, 3}), this->WalkKeys(this->map));
    EXPECT_EQ(1, this->map.Lookup(this->Key(2), value));
    EXPECT_EQ(20, AsInt(value));
    if constexpr (std::is_same<TypeParam, CMapPtrToPtr>::value) {
        EXPECT_EQ(value, this->map.GetValueAt(this->Key(2)));
        EXPECT_EQ(nullptr, this->map.GetValueAt(this->Key(5)));
    }
    EXPECT_EQ(1, this->map.RemoveKey(this->Key(2)));
    EXPECT_EQ(0, this->map.RemoveKey(this->Key(2)));
    EXPECT_EQ((std::vector<int>{4, 1, 3}), this->WalkKeys(this->map));
}

// Associations come in blocks of the block size and a removed one is reused next; removing the
// last key frees the bucket array and every block, and the next insertion allocates the table
// size last given to InitHashTable.
TYPED_TEST(WordMapTest, BlocksReuseAndRelease) {
    long const before = LiveArrays();
    this->map.InitHashTable(5);
    this->Insert({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(1, this->map.Blocks());
    unsigned int bucket;
    auto* const removed = this->map.GetAssocAt(this->Key(4), bucket);
    this->map.RemoveKey(this->Key(4));
    this->Insert({11});
    EXPECT_EQ(removed, this->map.GetAssocAt(this->Key(11), bucket));
    this->Insert({12});
    EXPECT_EQ(2, this->map.Blocks());
    for (int key : {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12}) {
        EXPECT_EQ(1, this->map.RemoveKey(this->Key(key)));
    }
    EXPECT_TRUE(this->map.HoldsNoMemory());
    EXPECT_EQ(before, LiveArrays());
    this->Insert({7});
    EXPECT_EQ(5u, this->map.GetHashTableSize());
    EXPECT_TRUE(this->map.HasTable());
}

// Larger maps keep an index in a table shared by all maps. Maps used on different threads at
// once (eight per thread, so that threads meet in the table's shards), each growing past and
// shrinking below the indexed sizes again and again, and threads reading one unchanging indexed
// map at the same time, each see exactly their own entries.
TEST(MapThreadTest, MapsOnSeveralThreadsAtOnce) {
    CMapStringToPtr shared;
    for (int i = 0; i < 500; ++i) {
        shared[std::to_string(i).c_str()] = Value<void*>(i);
    }
    std::atomic<int> mismatches{0};
    auto work = [&shared, &mismatches](int thread) {
        for (int round = 0; round < 20; ++round) {
            CMapPtrToPtr own[8];
            for (CMapPtrToPtr& map : own) {
                for (int i = 1; i <= 40; ++i) {
                    map[Value<void*>(thread * 1000 + i)] = Value<void*>(i);
                }
                for (int i = 1; i <= 35; ++i) {
                    mismatches += map.RemoveKey(Value<void*>(thread * 1000 + i)) != 1;
                }
            }
            for (int i = 1; i <= 40; ++i) {
                void* value = nullptr;
                mismatches +=
                    own[i % 8].Lookup(Value<void*>(thread * 1000 + i), value) != (i > 35) ||
                    (i > 35 && value != Value<void*>(i));
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
