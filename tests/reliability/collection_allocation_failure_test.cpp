// The collections when an allocation fails: each operation completes or leaves its collection as
// it was, and a map whose index cannot be built goes on without it.
#include <functional>
#include <string>
#include <vector>

#include "VelqonMfcContainers.h"
#include "allocation.h"
#include "collection_probes.h"

namespace {

// String collections and the operations of the walk below, each of which allocates.
struct Collections {
    ArrayProbe<CStringArray> array;
    CStringArray other;
    CStringList list{2};
    CMapStringToString maps[3] = {CMapStringToString(1), CMapStringToString(1),
                                  CMapStringToString(1)};
    CPortableString locked{"L"};

    Collections() {
        locked.LockBuffer();
        array.SetSize(2, 0);
        array.SetAt(0, "a");
        array.SetAt(1, "b");
        other.Add("c");
        other.ElementAt(0).LockBuffer();
        list.AddTail("one");
        list.AddTail(CPortableString("s"));
        for (int i = 0; i < 40; ++i) {
            maps[2][std::to_string(i).c_str()] = "1";  // large enough to keep an index
        }
    }

    // Locked strings and C strings are copied, the others shared.
    std::vector<std::function<void()>> Operations() {
        return {[&] { array.SetAtGrow(2, "t"); },       // storage, past the capacity
                [&] { array.SetAtGrow(3, locked); },    // within it
                [&] { array.InsertAt(1, locked, 2); },  // a gap within it
                [&] { array.SetSize(8, 7); },           // storage, past it
                [&] { array.Append(other); },           // within it
                [&] { list.AddHead("zero"); },          // a second node block
                [&] { list.InsertAfter(list.GetTailPosition(), locked); },
                [&] { maps[0]["key"]; },             // bucket table, node block
                [&] { maps[1].InitHashTable(31); },  // bucket table
                [&] { maps[2]["key"]; }};            // node block
    }

    // Everything a caller sees of the collections: capacity and elements, elements, and per map
    // its count, table size and walk.
    std::string Describe() {
        std::string text = std::to_string(array.Capacity());
        for (int i = 0; i < array.GetSize(); ++i) {
            text += "," + std::string(array[i]);
        }
        text += "|" + std::to_string(list.GetCount());
        for (POSITION position = list.GetHeadPosition(); position != nullptr;) {
            text += "," + std::string(list.GetNext(position));
        }
        for (CMapStringToString const& map : maps) {
            text +=
                "|" + std::to_string(map.GetCount()) + "/" + std::to_string(map.GetHashTableSize());
            for (POSITION position = map.GetStartPosition(); position != nullptr;) {
                CPortableString key, value;
                map.GetNextAssoc(position, key, value);
                text += "," + std::string(key) + "=" + static_cast<char const*>(value);
            }
        }
        return text;
    }
};

}  // namespace

// A failure in operation k leaves the state after k - 1 (a SetSize step is kept); all still work.
TEST(CollectionAllocationFailureTest, FailedOperationKeepsTheCollection) {
    std::vector<std::string> states;
    {
        Collections collections;
        states.push_back(collections.Describe());
        for (auto const& operation : collections.Operations()) {
            operation();
            states.push_back(collections.Describe());
        }
    }
    long const allocations = WalkAllocationFailures([&](long failAt) {
        Collections collections;
        auto const operations = collections.Operations();
        size_t done = 0;
        bool const failed = FailsAt(failAt, [&] {
            for (; done < operations.size(); ++done) {
                operations[done]();
            }
        });
        EXPECT_EQ(states[done], collections.Describe()) << "allocation " << failAt;
        EXPECT_EQ(done >= 3 ? 7 : 0, collections.array.GrowStep()) << "allocation " << failAt;
        for (auto const& operation : operations) {
            operation();
        }
        return failed;
    });
    // Array 2 + 1 + 2 + 1 + 1, list 2 + 1, maps 3 + 1 + 2.
    EXPECT_EQ(16, allocations);
}

// InsertAt of a C string: a failed string leaves the opened gap of empty strings, else unchanged.
TEST(CollectionAllocationFailureTest, FailedInsertOfTextKeepsTheGap) {
    long const allocations = WalkAllocationFailures([](long failAt) {
        Collections collections;
        CStringArray& strings = collections.array;
        bool const failed = FailsAt(failAt, [&] { strings.InsertAt(1, "x", 2); });
        char const* const kept = failed ? "" : "x";
        EXPECT_STREQ(failed && failAt == 1 ? "b" : kept, strings[1]) << "allocation " << failAt;
        EXPECT_EQ(failed && failAt == 1 ? 2 : 4, strings.GetSize());
        return failed;
    });
    // The wider storage, then the string.
    EXPECT_EQ(2, allocations);
}

// A map index without memory is dropped silently: keys found, walk unchanged, no leak.
TEST(CollectionAllocationFailureTest, IndexWithoutMemoryIsDropped) {
    std::vector<int> objects(300);
    long const allocations = WalkAllocationFailures([&objects](long failAt) {
        CMapPtrToPtr map(1000);  // one node block: every allocation below is the index's
        for (int i = 0; i < 32; ++i) {
            map[&objects[i]] = &objects[i];
        }
        AllocationFailure failure(failAt);
        EXPECT_NO_THROW({
            for (int i = 32; i < 300; ++i) {
                map[&objects[i]] = &objects[i];
            }
            for (int i = 0; i < 300; i += 2) {
                EXPECT_EQ(1, map.RemoveKey(&objects[i]));
            }
        });
        POSITION position = map.GetStartPosition();
        for (int i = 299; i > 0; i -= 2) {
            void *key = nullptr, *value = nullptr;
            map.GetNextAssoc(position, key, value);
            EXPECT_EQ(&objects[i], key) << "allocation " << failAt;
            EXPECT_EQ(&objects[i], map.GetValueAt(&objects[i]));
            EXPECT_EQ(nullptr, map.GetValueAt(&objects[i - 1]));
        }
        EXPECT_EQ(nullptr, position);
        return failure.Injected();
    });
    // Building the index takes two allocations; growing it to 256 and 512 slots one each.
    EXPECT_EQ(4, allocations);
}
