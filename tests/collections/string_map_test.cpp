// The maps with string keys: one behaviour suite on all three, and the string values of
// CMapStringToString.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VelqonMfcContainers.h"
#include "allocation.h"
#include "collection_probes.h"

namespace {

template <class X>
class StringMapTest : public ::testing::Test {
protected:
    using V = typename std::remove_reference<decltype(std::declval<X&>()[""])>::type;

    std::vector<std::string> WalkKeys() const {
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

// The hash is h = 33 * h + signed char; the bucket (also reported without a bucket array) is the
// hash modulo 17; a walk visits buckets in ascending order.
TYPED_TEST(StringMapTest, HashBucketAndWalkOrder) {
    EXPECT_EQ(0u, this->map.HashKey(""));
    EXPECT_EQ(108966u, this->map.HashKey("abc"));
    EXPECT_EQ(4294967273u, this->map.HashKey("\xE9"));
    unsigned int bucket = 99;
    EXPECT_EQ(nullptr, this->map.GetAssocAt("\xE9", bucket));
    EXPECT_EQ(12u, bucket);
    for (char const* key : {"a", "ab", "abc", "", "a2"}) {
        this->map[key];
    }
    // Buckets: "" 0, "ab" 1, "a2" 4 (3251 % 17), "a" 12, "abc" 13.
    EXPECT_EQ((std::vector<std::string>{"", "ab", "a2", "a", "abc"}), this->WalkKeys());
}

// Keys are copied and compared exactly; LookupKey hands out the map's own copy; removing every
// key releases all memory, and a reused association starts with a fresh key.
TYPED_TEST(StringMapTest, KeysCopiedExactAndReleased) {
    long const before = LiveArrays();
    char key[] = "Name";
    this->map[key];
    this->map["name"];
    char const* stored = nullptr;
    EXPECT_EQ(1, this->map.LookupKey(key, stored));
    key[0] = 'X';
    EXPECT_STREQ("Name", stored);
    EXPECT_EQ(0, this->map.LookupKey("NAME", stored));
    unsigned int bucket;
    auto* const removed = this->map.GetAssocAt("name", bucket);
    EXPECT_EQ(1, this->map.RemoveKey("name"));
    this->map["other"];
    EXPECT_EQ(removed, this->map.GetAssocAt("other", bucket));
    EXPECT_EQ(1, this->map.RemoveKey("Name"));
    EXPECT_EQ(1, this->map.RemoveKey("other"));
    EXPECT_TRUE(this->map.HoldsNoMemory());
    EXPECT_EQ(before, LiveArrays());
}

// Values are shared with the strings they are assigned from and handed out to; destroying the
// map releases every key and value exactly once; a key that cannot be copied leaves the map
// unchanged.
TEST(MapStringToStringTest, ValuesSharedReleasedOnce) {
    long const before = LiveArrays();
    CPortableString const value("value");
    {
        CMapStringToString map;
        EXPECT_EQ(0, map["k1"].GetLength());
        map["k1"] = value;
        map.SetAt("k2", value);
        CPortableString out;
        EXPECT_EQ(1, map.Lookup("k2", out));
        EXPECT_EQ(4, RefCount(value));
        EXPECT_TRUE(FailsAt(1, [&] { map["k3"]; }));
        EXPECT_EQ(2, map.GetCount());
        EXPECT_EQ(0, map.Lookup("k3", out));
    }
    EXPECT_EQ(1, RefCount(value));
    EXPECT_EQ(before + 1, LiveArrays());  // only `value` is left
}

}  // namespace
