#include <string>
#include <vector>

#include "VelqonMfcContainers.h"
#include "allocation.h"

namespace {

// Reads the capacity that the arrays keep protected.
template <class Array>
struct Probe : Array {
    int Allocated() const { return this->m_nAllocated; }
};

std::vector<std::string> texts(CStringArray& array) {
    std::vector<std::string> result;
    for (int i = 0; i < array.GetSize(); ++i) {
        result.push_back(static_cast<char const*>(array[i]));
    }
    return result;
}

std::vector<std::string> texts(CStringList& list) {
    std::vector<std::string> result;
    for (POSITION position = list.GetHeadPosition(); position != nullptr;) {
        result.push_back(static_cast<char const*>(list.GetNext(position)));
    }
    return result;
}

std::vector<std::string> texts(CMapStringToString const& map) {
    std::vector<std::string> result;
    for (POSITION position = map.GetStartPosition(); position != nullptr;) {
        CPortableString key;
        CPortableString value;
        map.GetNextAssoc(position, key, value);
        result.push_back(std::string(key) + "=" + static_cast<char const*>(value));
    }
    return result;
}

}  // namespace

// Each operation completes or leaves the array as it was (elements, size, capacity), also
// when a string copy (of a locked string or a C string) fails after the array has grown: a
// failure in operation k leaves the state after the first k - 1.
TEST(ArrayAllocationFailureTest, FailedGrowthKeepsTheArray) {
    std::vector<std::vector<std::string>> const states = {{"a", "b"},
                                                          {"a", "b", "t"},
                                                          {"a", "b", "t", "L"},
                                                          {"a", "L", "L", "b", "t", "L"},
                                                          {"a", "L", "L", "b", "t", "L", "c"}};
    int const capacities[] = {2, 6, 6, 6, 10};
    long const allocations = WalkAllocationFailures([&](long failAt) {
        Probe<CStringArray> strings;
        CStringArray other;
        CPortableString locked("L");
        locked.LockBuffer();
        strings.SetSize(2, 0);
        strings.SetAt(0, "a");
        strings.SetAt(1, "b");
        other.Add("c");
        other.ElementAt(0).LockBuffer();
        size_t done = 0;
        bool const failed = FailsAt(failAt, [&] {
            strings.SetAtGrow(2, "t");  // past the capacity
            ++done;
            strings.SetAtGrow(3, locked);  // within it
            ++done;
            strings.InsertAt(1, locked, 2);  // a gap within it
            ++done;
            strings.Append(other);  // past it
            ++done;
        });
        EXPECT_EQ(states[done], texts(strings)) << "allocation " << failAt;
        EXPECT_EQ(capacities[done], strings.Allocated()) << "allocation " << failAt;
        strings.Add("next");
        EXPECT_EQ("next", std::string(strings[strings.GetSize() - 1]));
        return failed;
    });
    // Storage and "t"; a copy; two copies; storage and a copy.
    EXPECT_EQ(7, allocations);
}

// InsertAt with a C string opens the gap before it builds the string: if that fails, the array
// holds the new empty strings; if opening the gap fails, it is unchanged.
TEST(ArrayAllocationFailureTest, FailedInsertOfTextKeepsTheGap) {
    long const allocations = WalkAllocationFailures([](long failAt) {
        CStringArray strings;
        strings.SetSize(2, 0);
        strings.SetAt(0, "a");
        strings.SetAt(1, "b");
        const bool failed = FailsAt(failAt, [&] { strings.InsertAt(1, "x", 2); });
        const std::vector<std::string> expected =
            !failed       ? std::vector<std::string>{"a", "x", "x", "b"}
            : failAt == 1 ? std::vector<std::string>{"a", "b"}
                          : std::vector<std::string>{"a", "", "", "b"};
        EXPECT_EQ(expected, texts(strings)) << "allocation " << failAt;
        strings.SetAtGrow(strings.GetSize(), "next");
        EXPECT_EQ(expected.size() + 1, texts(strings).size());
        return failed;
    });
    // The wider storage, then the string.
    EXPECT_EQ(2, allocations);
}

// An insertion that needs a fresh node block, or a copy of its text, leaves the list unchanged.
TEST(ListAllocationFailureTest, FailedInsertionKeepsTheList) {
    long const allocations = WalkAllocationFailures([](long failAt) {
        CStringList list(2);
        const CPortableString shared("shared");
        list.AddTail("one");
        list.AddTail(shared);
        const bool failed = FailsAt(failAt, [&] {
            list.AddHead("zero");
            list.InsertAfter(list.GetTailPosition(), shared);
        });
        if (!failed) {
            EXPECT_EQ((std::vector<std::string>{"zero", "one", "shared", "shared"}), texts(list));
        } else if (list.GetCount() == 2) {
            EXPECT_EQ((std::vector<std::string>{"one", "shared"}), texts(list));
        } else {
            EXPECT_EQ((std::vector<std::string>{"zero", "one", "shared"}), texts(list))
                << "allocation " << failAt;
        }
        list.AddTail("next");
        EXPECT_EQ("next", std::string(list.GetTail()));
        return failed;
    });
    // The copy of "zero", a second node block; the shared value needs nothing more.
    EXPECT_EQ(2, allocations);
}

// A failed insertion into a string map (bucket table, node block or key copy) leaves its entries
// and count as they were, and the key absent; also in a map large enough to keep an index.
TEST(MapAllocationFailureTest, FailedInsertionKeepsTheMap) {
    for (int const startSize : {0, 1, 40}) {
        long const allocations = WalkAllocationFailures([startSize](long failAt) {
            CMapStringToString map(1);
            for (int i = 0; i < startSize; ++i) {
                map[std::to_string(i).c_str()] = "1";
            }
            const std::vector<std::string> before = texts(map);
            const bool failed = FailsAt(failAt, [&] { map["key"]; });
            CPortableString value;
            EXPECT_EQ(failed ? 0 : 1, map.Lookup("key", value));
            if (failed) {
                EXPECT_EQ(before, texts(map)) << "allocation " << failAt;
                EXPECT_EQ(static_cast<int>(before.size()), map.GetCount());
            }
            map["next"] = "works";
            EXPECT_EQ(1, map.Lookup("next", value));
            EXPECT_STREQ("works", value);
            return failed;
        });
        // Bucket table (empty map only), node block, key copy.
        EXPECT_EQ(startSize == 0 ? 3 : 2, allocations);
    }
}

// Larger maps keep an index beside them. When building or growing it finds no memory, the map
// drops it without throwing and goes on from its chains: every key is found, the walk is
// unchanged, and nothing leaks. The block size keeps every association in the first block, so
// that every allocation of the walk is one of the index's.
TEST(MapAllocationFailureTest, IndexWithoutMemoryIsDropped) {
    std::vector<int> objects(300);
    long const allocations = WalkAllocationFailures([&objects](long failAt) {
        CMapPtrToPtr map(1000);
        for (int i = 0; i < 32; ++i) {
            map[&objects[i]] = &objects[i];
        }
        bool injected = false;
        {
            AllocationFailure failure(failAt);
            EXPECT_NO_THROW({
                for (int i = 32; i < 300; ++i) {
                    map[&objects[i]] = &objects[i];
                }
                for (int i = 0; i < 300; i += 2) {
                    EXPECT_EQ(1, map.RemoveKey(&objects[i]));
                }
            });
            injected = failure.Injected();
        }
        POSITION position = map.GetStartPosition();
        for (int i = 299; i > 0; i -= 2) {
            void* key = nullptr;
            void* value = nullptr;
            map.GetNextAssoc(position, key, value);
            EXPECT_EQ(&objects[i], key) << "allocation " << failAt;
            EXPECT_EQ(&objects[i], map.GetValueAt(&objects[i]));
            EXPECT_EQ(nullptr, map.GetValueAt(&objects[i - 1]));
        }
        EXPECT_EQ(nullptr, position);
        return injected;
    });
    // Building the index takes two allocations; growing it to 256 and 512 slots one each.
    EXPECT_EQ(4, allocations);
}
