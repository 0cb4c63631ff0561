// The maps with pointer and word keys: one behaviour suite run on all four.
#include <gtest/gtest.h>

#include <vector>

#include "VelqonMfcContainers.h"
#include "array_new_counter.h"
#include "probes.h"

namespace {

template <class Key, class Val>
struct Types {
    using K = Key;
    using V = Val;
};

template <class X>
struct MapTypes;
template <>
struct MapTypes<CMapPtrToPtr> : Types<void*, void*> {};
template <>
struct MapTypes<CMapPtrToWord> : Types<void*, unsigned short> {};
template <>
struct MapTypes<CMapWordToPtr> : Types<unsigned short, void*> {};
template <>
struct MapTypes<CMapWordToOb> : Types<unsigned short, CObject*> {};

template <class X>
class WordMapTest : public ::testing::Test {
protected:
    using K = typename MapTypes<X>::K;
    using V = typename MapTypes<X>::V;

    static K Key(int i) { return Value<K>(i); }
    static V Val(int i) { return Value<V>(i); }

    // The keys in walk order.
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

    // Inserts the given keys in order, each with the value 10 * key.
    static void Insert(X& map, std::vector<int> const& keys) {
        for (int key : keys) {
            map.SetAt(Key(key), Val(key * 10));
        }
    }

    MapProbe<X> map{10};
};

using WordMaps = ::testing::Types<CMapPtrToPtr, CMapPtrToWord, CMapWordToPtr, CMapWordToOb>;
TYPED_TEST_SUITE(WordMapTest, WordMaps);

// A new map has no bucket array: lookups and removals fail, GetAssocAt still reports bucket 0.
TYPED_TEST(WordMapTest, NewMapHasNoTable) {
    typename TestFixture::V value = this->Val(5);
    EXPECT_EQ(0, this->map.Lookup(this->Key(1), value));
    EXPECT_EQ(this->Val(5), value);
    EXPECT_EQ(0, this->map.RemoveKey(this->Key(1)));
    unsigned int bucket = 99;
    EXPECT_EQ(nullptr, this->map.GetAssocAt(this->Key(1), bucket));
    EXPECT_EQ(0u, bucket);
    EXPECT_EQ(nullptr, this->map.GetStartPosition());
    EXPECT_EQ(17u, this->map.GetHashTableSize());
    EXPECT_TRUE(this->map.HoldsNoMemory());
}

// operator[] inserts an absent key with a zero value and returns the stored value's reference;
// a present key keeps its association and the count.
TYPED_TEST(WordMapTest, SubscriptInsertsOnce) {
    auto& inserted = this->map[this->Key(3)];
    EXPECT_EQ(this->Val(0), inserted);
    EXPECT_EQ(1, this->map.GetCount());
    inserted = this->Val(30);
    EXPECT_EQ(&inserted, &this->map[this->Key(3)]);
    EXPECT_EQ(1, this->map.GetCount());
    typename TestFixture::V value{};
    EXPECT_EQ(1, this->map.Lookup(this->Key(3), value));
    EXPECT_EQ(this->Val(30), value);
    EXPECT_EQ(0, this->map.IsEmpty());
}

// Every key hashes to bucket 0 and goes to the head of its chain: a walk visits the most recent
// first, and removals keep the order of the rest.
TYPED_TEST(WordMapTest, WalkFromNewestToOldest) {
    EXPECT_EQ(0u, this->map.HashKey(this->Key(12345)));
    this->Insert(this->map, {1, 2, 3, 4});
    EXPECT_EQ((std::vector<int>{4, 3, 2, 1}), this->WalkKeys(this->map));
    EXPECT_EQ(1, this->map.RemoveKey(this->Key(3)));
    EXPECT_EQ(0, this->map.RemoveKey(this->Key(3)));
    EXPECT_EQ((std::vector<int>{4, 2, 1}), this->WalkKeys(this->map));
}

// Removing the last key frees the bucket array and every block; the next insertion allocates the
// table size last given to InitHashTable.
TYPED_TEST(WordMapTest, LastRemovalReleasesEverything) {
    long const before = LiveArrays();
    this->map.InitHashTable(5);
    this->Insert(this->map, {1, 2});
    EXPECT_EQ(1, this->map.RemoveKey(this->Key(2)));
    EXPECT_EQ(1, this->map.RemoveKey(this->Key(1)));
    EXPECT_TRUE(this->map.HoldsNoMemory());
    EXPECT_EQ(before, LiveArrays());
    EXPECT_EQ(5u, this->map.GetHashTableSize());
    this->Insert(this->map, {7});
    EXPECT_TRUE(this->map.HasTable());
    EXPECT_EQ((std::vector<int>{7}), this->WalkKeys(this->map));
    this->map.RemoveAll();
    EXPECT_TRUE(this->map.HoldsNoMemory());
    EXPECT_EQ(before, LiveArrays());
}

// Associations come in blocks of the block size; a removed association is the next one reused.
TYPED_TEST(WordMapTest, BlocksAndReuse) {
    this->Insert(this->map, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(1, this->map.Blocks());
    unsigned int bucket;
    auto* const removed = this->map.GetAssocAt(this->Key(4), bucket);
    this->map.RemoveKey(this->Key(4));
    this->Insert(this->map, {11});
    EXPECT_EQ(removed, this->map.GetAssocAt(this->Key(11), bucket));
    EXPECT_EQ(1, this->map.Blocks());
    this->Insert(this->map, {12});
    EXPECT_EQ(2, this->map.Blocks());
}

// GetValueAt answers null for an absent key and for a map without a bucket array.
TEST(MapPtrToPtrTest, GetValueAt) {
    CMapPtrToPtr map;
    int a = 0;
    int b = 0;
    EXPECT_EQ(nullptr, map.GetValueAt(&a));
    map[&a] = &b;
    EXPECT_EQ(&b, map.GetValueAt(&a));
    EXPECT_EQ(nullptr, map.GetValueAt(&b));
}

}  // namespace
