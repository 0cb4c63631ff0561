// Checked build, lists and maps: empty lists, null positions, walks of empty maps, self
// insertion and bad construction arguments stop with the class, the member and the problem.
#include "VelqonMfcContainers.h"
#include "checked.h"

// Removing from or reading the ends of an empty list.
TEST(CheckedListTest, EmptyListStops) {
    CPtrList list;
    EXPECT_STOPS(list.RemoveHead(), "CPtrList::RemoveHead: list is empty");
    EXPECT_STOPS(list.RemoveTail(), "CPtrList::RemoveTail: list is empty");
    CStringList strings;
    EXPECT_STOPS(strings.GetHead(), "CStringList::GetHead: list is empty");
    EXPECT_STOPS(strings.GetTail(), "CStringList::GetTail: list is empty");
}

// A null position stops where a node is required (the corpus replays null insertions here).
TEST(CheckedListTest, NullPositionStops) {
    CObList list;
    CObject* const object = nullptr;
    list.AddTail(object);
    POSITION none = nullptr;
    EXPECT_STOPS(list.GetNext(none), "CObList::GetNext: null position");
    EXPECT_STOPS(list.GetPrev(none), "CObList::GetPrev: null position");
    EXPECT_STOPS(list.RemoveAt(none), "CObList::RemoveAt: null position");
    EXPECT_STOPS(list.GetAt(none), "CObList::GetAt: null position");
    EXPECT_STOPS(list.SetAt(none, object), "CObList::SetAt: null position");
}

// A list handed to its own bulk insertion, and a block size below 1.
TEST(CheckedListTest, SelfInsertionAndBlockSizeStop) {
    CStringList list;
    list.AddTail("a");
    EXPECT_STOPS(list.AddHead(&list), "CStringList::AddHead: list passed to itself");
    EXPECT_STOPS(list.AddTail(&list), "CStringList::AddTail: list passed to itself");
    EXPECT_STOPS(CPtrList(0), "CPtrList::CPtrList: nodes per block 0 below 1");
}

// Empty-map or null-position walks, a table size of 0, resizing a map that holds associations.
TEST(CheckedMapTest, BadWalksAndTablesStop) {
    CMapStringToString map;
    CPortableString key;
    CPortableString value;
    POSITION position = POSITION_BEFORE_FIRST;
    char const* const emptyWalk =
        "CMapStringToString::GetNextAssoc: POSITION_BEFORE_FIRST on an empty map";
    EXPECT_STOPS(map.GetNextAssoc(position, key, value), emptyWalk);
    map.InitHashTable(31);
    EXPECT_STOPS(map.GetNextAssoc(position, key, value), emptyWalk);
    position = nullptr;
    EXPECT_STOPS(map.GetNextAssoc(position, key, value),
                 "CMapStringToString::GetNextAssoc: null position");
    EXPECT_STOPS(map.InitHashTable(0), "CMapStringToString::InitHashTable: table size 0");
    map["k"] = "v";
    EXPECT_STOPS(map.InitHashTable(7),
                 "CMapStringToString::InitHashTable: map not empty (count 1)");
    EXPECT_STOPS(CMapWordToOb(0), "CMapWordToOb::CMapWordToOb: block size 0 below 1");
}
