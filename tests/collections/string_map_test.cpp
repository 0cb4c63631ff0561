// The maps with string keys: one behaviour suite on all three, and the string values of
// CMapStringToString.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VelqonMfcContainers.h"
#include "array_new_counter.h"
#include "probes.h"

namespace {

long Count(CPortableString const& text) {
    return text.GetData()->nRefCount;
}

template <class X>
class StringMapTest : public ::testing::Test {
protected:
    using V = typename std::remove_reference<decltype(std::declval<X&>()[""])>::type;

    // The keys in walk order.
    static std::vector<std::string> WalkKeys(X const& map) {
        std::vector<std::string> keys;
        for (POSITION position = map.GetStartPosition(); position != nullptr;) {
            CPortableString key;
            V value;
            map.GetNextAssoc(position, key, value);
            keys.push_back(static_cast<char const*>(key));
        }
        return keys;
    }

    MapProbe<X> map{10};
};

using StringMaps = ::testing::Types<CMapStringToPtr, CMapStringToOb, CMapStringToString>;
TYPED_TEST_SUITE(StringMapTest, StringMaps);

// The hash is h = 33 * h + signed char; the bucket is the hash modulo the table size, also
// without a bucket array.
TYPED_TEST(StringMapTest, HashAndBucket) {
    EXPECT_EQ(0u, this->map.HashKey(""));
    EXPECT_EQ(97u, this->map.HashKey("a"));
    EXPECT_EQ(3299u, this->map.HashKey("ab"));
    EXPECT_EQ(108966u, this->map.HashKey("abc"));
    EXPECT_EQ(4294967273u, this->map.HashKey("\xE9"));
    unsigned int bucket = 99;
    EXPECT_EQ(nullptr, this->map.GetAssocAt("abc", bucket));
    EXPECT_EQ(13u, bucket);
    this->map.GetAssocAt("\xE9", bucket);
    EXPECT_EQ(12u, bucket);
}

// A walk goes through buckets in ascending order, each from its newest association, using the
// bucket index stored at insertion.
TYPED_TEST(StringMapTest, WalkOrder) {
    for (char const* key : {"a", "ab", "abc", "", "a2"}) {
        this->map[key];
    }
    // Buckets: "" 0, "ab" 1, "a2" 4 (3251 % 17), "a" 12, "abc" 13.
    EXPECT_EQ((std::vector<std::string>{"", "ab", "a2", "a", "abc"}), this->WalkKeys(this->map));
}

// Keys differing in case are distinct; the empty key is a key; LookupKey hands out the map's own
// copy of the key.
TYPED_TEST(StringMapTest, KeysAreCopiedAndExact) {
    char key[] = "Name";
    this->map[key];
    this->map["name"];
    this->map[""];
    EXPECT_EQ(3, this->map.GetCount());
    char const* stored = nullptr;
    EXPECT_EQ(1, this->map.LookupKey(key, stored));
    EXPECT_NE(key, stored);
    key[0] = 'X';
    EXPECT_STREQ("Name", stored);
    char const* untouched = key;
    EXPECT_EQ(0, this->map.LookupKey("NAME", untouched));
    EXPECT_EQ(key, untouched);
}

// Removing every key releases every key string and all memory; a reused association starts with
// a fresh empty key.
TYPED_TEST(StringMapTest, RemovalReleasesEverything) {
    long const before = LiveArrays();
    for (char const* key : {"one", "two", "three"}) {
        this->map[key];
    }
    unsigned int bucket;
    auto* const removed = this->map.GetAssocAt("two", bucket);
    EXPECT_EQ(1, this->map.RemoveKey("two"));
    this->map["four"];
    EXPECT_EQ(removed, this->map.GetAssocAt("four", bucket));
    EXPECT_EQ(0, this->map.RemoveKey("two"));
    for (char const* key : {"one", "three", "four"}) {
        EXPECT_EQ(1, this->map.RemoveKey(key));
    }
    EXPECT_TRUE(this->map.HoldsNoMemory());
    EXPECT_EQ(before, LiveArrays());
}

// Values are shared with the strings they are assigned from and handed out to; destroying the
// map releases every key and value exactly once.
TEST(MapStringToStringTest, ValuesSharedAndReleasedOnce) {
    long const before = LiveArrays();
    CPortableString const value("value");
    {
        CMapStringToString map;
        CPortableString& fresh = map["k1"];
        EXPECT_EQ(0, fresh.GetLength());
        EXPECT_EQ(1, map.GetCount());
        fresh = value;
        map.SetAt("k2", value);
        EXPECT_EQ(3, Count(value));
        CPortableString out;
        EXPECT_EQ(1, map.Lookup("k2", out));
        EXPECT_EQ(value.GetData(), out.GetData());
        EXPECT_EQ(4, Count(value));
        POSITION position = map.GetStartPosition();
        CPortableString key;
        map.GetNextAssoc(position, key, out);
        EXPECT_EQ(value.GetData(), out.GetData());
    }
    EXPECT_EQ(1, Count(value));
    EXPECT_EQ(before + 1, LiveArrays());  // only `value` is left
}

// A key that cannot be copied leaves the map as it was.
TEST(MapStringToStringTest, FailedKeyCopyKeepsMap) {
    CMapStringToString map;
    map["a"] = "1";
    FailNextArrayAllocation();  // table and block exist: the next allocation is the key's block
    EXPECT_THROW(map["b"], std::bad_alloc);
    EXPECT_EQ(1, map.GetCount());
    CPortableString value;
    EXPECT_EQ(0, map.Lookup("b", value));
    map["b"] = "2";
    EXPECT_EQ(1, map.Lookup("b", value));
    EXPECT_STREQ("2", value);
}

}  // namespace
