// Sequences of collection operations checked against reference models after every step. The
// first byte picks the family:
// - arrays (CDWordArray, CStringArray): a std::vector plus the capacity and growth step that
//   the growth rule predicts;
// - string lists (CStringList): a std::vector of (position, text) in list order, plus the
//   spare-node chain (freed nodes reused last-freed first, fresh blocks handed out in
//   ascending address order, everything released when the list empties);
// - maps (CMapStringToString, CMapWordToPtr, CMapPtrToPtr): a std::map plus what the plain
//   bucket-and-chain algorithm makes of it: bucket, chain order (the latest insertion first),
//   walk order (buckets ascending) and association addresses (fresh blocks in ascending order,
//   the most recently freed reused first, everything released when the map empties). Runs of
//   insertions and removals take maps up and down across the sizes at which lookups change
//   strategy.
// The test subclasses below only read the protected fields.
#include <stddef.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "VelqonMfcContainers.h"
#include "fuzz_input.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Arrays
// ---------------------------------------------------------------------------------------------

struct DWordArray : CDWordArray {
    int Allocated() const { return m_nAllocated; }
    int GrowStep() const { return m_nGrowStep; }
};

struct StringArray : CStringArray {
    int Allocated() const { return m_nAllocated; }
    int GrowStep() const { return m_nGrowStep; }
};

// Elements, capacity and stored growth step as the growth rule predicts them.
template <class T>
struct ArrayModel {
    std::vector<T> elements;
    int allocated = 0;
    int growStep = 0;

    void setSize(int newSize, int step) {
        if (step != -1) {
            growStep = step;
        }
        int const size = static_cast<int>(elements.size());
        if (newSize == 0) {
            allocated = 0;
        } else if (allocated == 0) {
            allocated = newSize;
        } else if (newSize > allocated) {
            int grow = growStep;
            if (grow == 0) {
                grow = size <= 31 ? 4 : size >= 8200 ? 1024 : size / 8;
            }
            allocated = std::max(allocated + grow, newSize);
        }
        elements.resize(static_cast<size_t>(newSize), T());
    }
};

unsigned int dword(FuzzInput& in) {
    return static_cast<unsigned int>(in.Byte()) << 24 | in.Byte();
}

// A few distinct texts, so that string elements share and compare in interesting ways.
std::string word(FuzzInput& in) {
    static char const* const words[] = {"", "a", "bb", "ccc", "a longer element text"};
    return words[in.Range(0, 4)];
}

bool operator==(CPortableString const& s, std::string const& text) {
    return s.GetLength() == static_cast<int>(text.size()) && text == static_cast<char const*>(s);
}

// The argument an array or map member takes for a model element or key.
void* argument(void* value) {
    return value;
}

unsigned int argument(unsigned int value) {
    return value;
}

char const* argument(std::string const& value) {
    return value.c_str();
}

template <class Array, class T>
void checkArray(Array const& array, ArrayModel<T> const& model) {
    FUZZ_CHECK(array.GetSize() == static_cast<int>(model.elements.size()));
    FUZZ_CHECK(array.Allocated() == model.allocated);
    FUZZ_CHECK(array.GrowStep() == model.growStep);
    FUZZ_CHECK((array.GetData() == nullptr) == (model.allocated == 0));
    for (size_t i = 0; i < model.elements.size(); ++i) {
        FUZZ_CHECK(array[static_cast<int>(i)] == model.elements[i]);
    }
}

// Arrays that copy each other back and forth grow exponentially; they stop growing here.
int const kMostElements = 1000;

// One array family: `make` turns fuzz input into an element value.
template <class Array, class T, class Make>
void runArrays(FuzzInput& in, Make make) {
    Array arrays[2];
    ArrayModel<T> models[2];
    for (int steps = 0; steps < 64 && !in.Empty(); ++steps) {
        int const which = in.Byte() & 1;
        Array& a = arrays[which];
        ArrayModel<T>& m = models[which];
        Array& other = arrays[1 - which];
        ArrayModel<T> const& otherModel = models[1 - which];
        int const size = a.GetSize();
        int op = in.Range(0, 9);
        if ((op == 3 || op == 6) && size + other.GetSize() > kMostElements) {
            op = 7;
        }
        switch (op) {
            case 0: {
                static int const growSteps[] = {-1, -1, 0, 1, 3, 16, -5};
                int const newSize = in.Range(0, 300);
                int const step = growSteps[in.Range(0, 6)];
                a.SetSize(newSize, step);
                m.setSize(newSize, step);
                break;
            }
            case 1: {
                int const index = in.Range(0, size + 10);
                const T value = make(in);
                a.SetAtGrow(index, argument(value));
                if (index >= size) {
                    m.setSize(index + 1, -1);
                }
                m.elements[static_cast<size_t>(index)] = value;
                break;
            }
            case 2: {
                int const index = in.Range(0, size + 5);
                int const count = in.Range(0, 5);
                const T value = make(in);
                a.InsertAt(index, argument(value), count);
                if (index < size) {
                    m.setSize(size + count, -1);
                    m.elements.resize(static_cast<size_t>(size));
                    m.elements.insert(m.elements.begin() + index, static_cast<size_t>(count),
                                      value);
                } else {
                    m.setSize(index + count, -1);
                    std::fill(m.elements.begin() + index, m.elements.end(), value);
                }
                break;
            }
            case 3: {
                int const index = in.Range(0, size + 5);
                a.InsertAt(index, &other);
                if (!otherModel.elements.empty()) {
                    int const count = static_cast<int>(otherModel.elements.size());
                    if (index < size) {
                        m.setSize(size + count, -1);
                        m.elements.resize(static_cast<size_t>(size));
                        m.elements.insert(m.elements.begin() + index, otherModel.elements.begin(),
                                          otherModel.elements.end());
                    } else {
                        m.setSize(index + count, -1);
                        std::copy(otherModel.elements.begin(), otherModel.elements.end(),
                                  m.elements.begin() + index);
                    }
                }
                break;
            }
            case 4: {
                if (size == 0) {
                    break;
                }
                int const index = in.Range(0, size - 1);
                int const count = in.Range(0, size - index);
                a.RemoveAt(index, count);
                m.elements.erase(m.elements.begin() + index, m.elements.begin() + index + count);
                break;
            }
            case 5:
                a.Copy(other);
                m.setSize(static_cast<int>(otherModel.elements.size()), -1);
                m.elements = otherModel.elements;
                break;
            case 6: {
                FUZZ_CHECK(a.Append(other) == size);
                m.setSize(size + static_cast<int>(otherModel.elements.size()), -1);
                std::copy(otherModel.elements.begin(), otherModel.elements.end(),
                          m.elements.begin() + size);
                break;
            }
            case 7:
                a.FreeExtra();
                m.allocated = size;
                break;
            case 8: {
                if (size == 0) {
                    break;
                }
                int const index = in.Range(0, size - 1);
                const T value = make(in);
                a.SetAt(index, argument(value));
                m.elements[static_cast<size_t>(index)] = value;
                break;
            }
            default:
                if (size > 0) {
                    int const index = in.Range(0, size - 1);
                    FUZZ_CHECK(a.GetAt(index) == m.elements[static_cast<size_t>(index)]);
                }
                break;
        }
        checkArray(a, m);
        checkArray(other, otherModel);
    }
}

// Inserting copies of one C string shares one block among the new elements.
void checkSharedInsert(FuzzInput& in) {
    StringArray a;
    a.SetSize(in.Range(0, 10), -1);
    int const index = in.Range(0, 12);
    int const count = in.Range(1, 4);
    a.InsertAt(index, "shared text", count);
    for (int i = index; i < index + count; ++i) {
        FUZZ_CHECK(a[i] == std::string("shared text"));
        FUZZ_CHECK(a[i].GetData() == a[index].GetData());
    }
    FUZZ_CHECK(a[index].GetData()->nRefCount == count);
}

// ---------------------------------------------------------------------------------------------
// String lists
// ---------------------------------------------------------------------------------------------

struct StringList : CStringList {
    explicit StringList(int nodesPerBlock) : CStringList(nodesPerBlock) {}
    bool HoldsNoMemory() const { return m_pNodeBlocks == nullptr && m_pSpareNodes == nullptr; }
    static size_t NodeSize() { return sizeof(CNode); }
};

// The spare nodes of a list or map: freed nodes are reused last-freed first, fresh blocks are
// handed out in ascending address order, and everything is released when it empties.
struct SpareNodes {
    std::vector<POSITION> spare;  // the back is handed out next
    int perBlock;
    size_t nodeSize;

    // Records the node a new element got: from the spare chain, or the first of a fresh block
    // whose other nodes then join the chain in ascending address order.
    void took(POSITION node) {
        if (!spare.empty()) {
            FUZZ_CHECK(node == spare.back());
            spare.pop_back();
            return;
        }
        const uintptr_t first = reinterpret_cast<uintptr_t>(node);
        for (int i = perBlock - 1; i >= 1; --i) {
            spare.push_back(reinterpret_cast<POSITION>(first + i * nodeSize));
        }
    }
};

struct ListModel : SpareNodes {
    std::vector<std::pair<POSITION, std::string>> items;  // in list order

    void freed(size_t index) {
        spare.push_back(items[index].first);
        items.erase(items.begin() + static_cast<long>(index));
        if (items.empty()) {
            spare.clear();
        }
    }
};

void checkList(StringList& list, ListModel const& model) {
    FUZZ_CHECK(list.GetCount() == static_cast<int>(model.items.size()));
    POSITION position = list.GetHeadPosition();
    for (auto const& item : model.items) {
        FUZZ_CHECK(position == item.first);
        FUZZ_CHECK(list.GetNext(position) == item.second);
    }
    FUZZ_CHECK(position == nullptr);
    position = list.GetTailPosition();
    for (auto item = model.items.rbegin(); item != model.items.rend(); ++item) {
        FUZZ_CHECK(position == item->first);
        list.GetPrev(position);
    }
    FUZZ_CHECK(position == nullptr);
    if (model.items.empty()) {
        FUZZ_CHECK(list.HoldsNoMemory());
    }
}

void runLists(FuzzInput& in) {
    int const nodesPerBlock = in.Range(1, 6);
    StringList list(nodesPerBlock);
    StringList other(nodesPerBlock);
    ListModel model{{{}, nodesPerBlock, StringList::NodeSize()}, {}};
    ListModel otherModel{{{}, nodesPerBlock, StringList::NodeSize()}, {}};
    for (int steps = 0; steps < 64 && !in.Empty(); ++steps) {
        const size_t count = model.items.size();
        // An element position, or null (count) for the insertions that accept it.
        const size_t at = static_cast<size_t>(in.Range(0, static_cast<int>(count)));
        const POSITION position = at < count ? model.items[at].first : nullptr;
        const std::string text = word(in);
        bool const asCString = in.Byte() & 1;
        const CPortableString value(text.c_str());
        switch (in.Range(0, 8)) {
            case 0: {
                const POSITION node = asCString ? list.AddHead(text.c_str()) : list.AddHead(value);
                model.took(node);
                model.items.insert(model.items.begin(), {node, text});
                break;
            }
            case 1: {
                const POSITION node = asCString ? list.AddTail(text.c_str()) : list.AddTail(value);
                model.took(node);
                model.items.push_back({node, text});
                break;
            }
            case 2: {
                const POSITION node = asCString ? list.InsertBefore(position, text.c_str())
                                                : list.InsertBefore(position, value);
                model.took(node);
                const size_t where = position == nullptr ? 0 : at;
                model.items.insert(model.items.begin() + static_cast<long>(where), {node, text});
                break;
            }
            case 3: {
                const POSITION node = asCString ? list.InsertAfter(position, text.c_str())
                                                : list.InsertAfter(position, value);
                model.took(node);
                const size_t where = position == nullptr ? count : at + 1;
                model.items.insert(model.items.begin() + static_cast<long>(where), {node, text});
                break;
            }
            case 4:
                if (count == 0) {
                    break;
                }
                if (at == 0) {
                    FUZZ_CHECK(list.RemoveHead() == model.items.front().second);
                    model.freed(0);
                } else if (at == count - 1 || position == nullptr) {
                    FUZZ_CHECK(list.RemoveTail() == model.items.back().second);
                    model.freed(count - 1);
                } else {
                    list.RemoveAt(position);
                    model.freed(at);
                }
                break;
            case 5: {
                // Moves a run of elements through the other list, front or back.
                bool const atHead = in.Byte() & 1;
                const POSITION node = other.AddTail(value);
                otherModel.took(node);
                otherModel.items.push_back({node, text});
                const size_t before = model.items.size();
                if (atHead) {
                    list.AddHead(&other);
                } else {
                    list.AddTail(&other);
                }
                // New nodes come one at a time: learn their addresses in list order.
                const size_t added = otherModel.items.size();
                const size_t first = atHead ? 0 : before;
                std::vector<std::pair<POSITION, std::string>> copies;
                POSITION walk = list.FindIndex(static_cast<int>(first));
                for (size_t i = 0; i < added; ++i) {
                    copies.push_back({walk, otherModel.items[i].second});
                    list.GetNext(walk);
                }
                // AddHead takes the other list from its tail, so the nodes were made last first.
                if (atHead) {
                    for (size_t i = added; i-- > 0;) {
                        model.took(copies[i].first);
                    }
                } else {
                    for (auto const& copy : copies) {
                        model.took(copy.first);
                    }
                }
                model.items.insert(model.items.begin() + static_cast<long>(first), copies.begin(),
                                   copies.end());
                break;
            }
            case 6: {
                int const index = in.Range(-2, static_cast<int>(count) + 1);
                const POSITION found = list.FindIndex(index);
                FUZZ_CHECK(found == (index >= 0 && index < static_cast<int>(count)
                                         ? model.items[static_cast<size_t>(index)].first
                                         : nullptr));
                break;
            }
            case 7: {
                // Find never compares the start node itself.
                POSITION expected = nullptr;
                for (size_t i = position == nullptr ? 0 : at + 1; i < count; ++i) {
                    if (model.items[i].second == text) {
                        expected = model.items[i].first;
                        break;
                    }
                }
                FUZZ_CHECK(list.Find(text.c_str(), position) == expected);
                break;
            }
            default:
                list.RemoveAll();
                model.items.clear();
                model.spare.clear();
                break;
        }
        checkList(list, model);
        checkList(other, otherModel);
    }
}

// ---------------------------------------------------------------------------------------------
// Maps
// ---------------------------------------------------------------------------------------------

// Reads a map's bucket array and learns its association size and the association of a value.
template <class X>
struct MapProbe : X {
    using typename X::CAssoc;
    using X::GetAssocAt;
    explicit MapProbe(int blockSize) : X(blockSize) {}
    CAssoc* Head(unsigned int bucket) const { return this->m_pHashTable[bucket]; }
    bool HasTable() const { return this->m_pHashTable != nullptr; }
    bool HoldsNoMemory() const {
        return this->m_pHashTable == nullptr && this->m_pBlocks == nullptr;
    }
    static POSITION AssocOf(void const* value) {
        return reinterpret_cast<POSITION>(const_cast<char*>(static_cast<char const*>(value)) -
                                          offsetof(CAssoc, value));
    }
};

unsigned int hashOf(std::string const& key) {
    unsigned int hash = 0;
    for (char c : key) {
        hash = hash * 33 + static_cast<unsigned int>(static_cast<int>(static_cast<signed char>(c)));
    }
    return hash;
}

// Pointer and word keys all hash to 0.
template <class K>
unsigned int hashOf(K) {
    return 0;
}

// The three key families, each over kKeySpace keys numbered from 0. String keys include the
// empty key and characters above 0x7F (negative as signed chars); pointer keys include null.
constexpr int kKeySpace = 200;

struct StringKeyed {
    using Map = CMapStringToString;
    using K = std::string;
    using V = std::string;
    using KeyOut = CPortableString;
    using ValueOut = CPortableString;
    static K Key(int k) {
        return k == 0    ? ""
               : k < 160 ? std::to_string(k)
                         : std::string{char(0x80 | k), char(k % 26 + 'a')};
    }
    static V Value(FuzzInput& in) { return word(in); }
};

struct WordKeyed {
    using Map = CMapWordToPtr;
    using K = unsigned short;
    using V = void*;
    using KeyOut = K;
    using ValueOut = V;
    static K Key(int k) { return static_cast<K>(k * 331); }
    static V Value(FuzzInput& in) {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(in.Byte()));
    }
};

struct PointerKeyed : WordKeyed {
    using Map = CMapPtrToPtr;
    using K = void*;
    using KeyOut = K;
    static K Key(int k) { return reinterpret_cast<void*>(static_cast<uintptr_t>(k) * 24); }
};

// What the plain algorithm makes of the map: each entry's value, bucket, insertion order and
// association; the chains (latest insertion first), the walk (buckets in ascending order) and
// the free associations (the most recently freed handed out first, a fresh block in ascending
// address order, none left once the map empties).
template <class K, class V>
struct MapModel : SpareNodes {
    struct Entry {
        V value;
        unsigned int bucket;
        long inserted;
        POSITION assoc;
    };
    std::map<K, Entry> entries;
    long insertions = 0;

    void freed(typename std::map<K, Entry>::iterator entry) {
        spare.push_back(entry->second.assoc);
        entries.erase(entry);
        if (entries.empty()) {
            spare.clear();
        }
    }

    // Entries in walk order: by bucket, latest insertion first.
    std::vector<std::pair<K, Entry>> order() const {
        std::vector<std::pair<K, Entry>> sorted(entries.begin(), entries.end());
        std::sort(sorted.begin(), sorted.end(), [](auto const& a, auto const& b) {
            return a.second.bucket != b.second.bucket ? a.second.bucket < b.second.bucket
                                                      : a.second.inserted > b.second.inserted;
        });
        return sorted;
    }
};

// Compares everything a caller or a derived class can see: count, table size, every chain with
// its associations, the walk with its positions, and what every key of the key space looks up
// to (value, association, bucket, and the class's own lookups).
template <class T, class Map, class Model>
void checkMap(Map& map, Model const& model, unsigned int buckets, bool released) {
    FUZZ_CHECK(map.GetCount() == static_cast<int>(model.entries.size()));
    FUZZ_CHECK(map.GetHashTableSize() == buckets);
    if (released) {
        FUZZ_CHECK(map.HoldsNoMemory());
    }
    auto const order = model.order();
    size_t next = 0;
    for (unsigned int bucket = 0; map.HasTable() && bucket < buckets; ++bucket) {
        for (auto* assoc = map.Head(bucket); assoc != nullptr; assoc = assoc->pNextAssoc, ++next) {
            FUZZ_CHECK(next < order.size() && order[next].second.bucket == bucket);
            FUZZ_CHECK(reinterpret_cast<POSITION>(assoc) == order[next].second.assoc);
            FUZZ_CHECK(assoc->key == order[next].first && assoc->value == order[next].second.value);
        }
    }
    FUZZ_CHECK(next == order.size());
    POSITION position = map.GetStartPosition();
    for (size_t i = 0; i < order.size(); ++i) {
        typename T::KeyOut key{};
        typename T::ValueOut value{};
        map.GetNextAssoc(position, key, value);
        FUZZ_CHECK(key == order[i].first && value == order[i].second.value);
        FUZZ_CHECK(position == (i + 1 < order.size() ? order[i + 1].second.assoc : nullptr));
    }
    for (int k = 0; k < kKeySpace; ++k) {
        typename T::K const key = T::Key(k);
        auto const found = model.entries.find(key);
        bool const present = found != model.entries.end();
        typename T::ValueOut value{};
        FUZZ_CHECK(map.Lookup(argument(key), value) == (present ? 1 : 0));
        FUZZ_CHECK(!present || value == found->second.value);
        unsigned int bucket = buckets;
        auto* const assoc = map.GetAssocAt(argument(key), bucket);
        FUZZ_CHECK(bucket == hashOf(key) % buckets);
        FUZZ_CHECK(reinterpret_cast<POSITION>(assoc) == (present ? found->second.assoc : nullptr));
        if constexpr (std::is_same<typename T::Map, CMapPtrToPtr>::value) {
            FUZZ_CHECK(map.GetValueAt(key) == (present ? found->second.value : nullptr));
        }
        if constexpr (std::is_same<typename T::K, std::string>::value) {
            char const* stored = nullptr;
            FUZZ_CHECK(map.LookupKey(argument(key), stored) == (present ? 1 : 0));
            FUZZ_CHECK(!present || stored == static_cast<char const*>(assoc->key));
        }
    }
}

// Inserts, removes (one key, or runs of up to 48 keys, so that maps grow past and shrink below
// the sizes where lookups change strategy, many times), empties, and resizes the empty table
// (to sizes that include tables of more than 1024 buckets).
template <class T>
void runMap(FuzzInput& in) {
    using Probe = MapProbe<typename T::Map>;
    int const blockSize = in.Range(1, 12);
    Probe map(blockSize);
    MapModel<typename T::K, typename T::V> model{
        {{}, blockSize, sizeof(typename Probe::CAssoc)}, {}, 0};
    unsigned int buckets = 17;
    auto insert = [&](int k, typename T::V const& value) {
        typename T::K const key = T::Key(k);
        auto& slot = map[argument(key)];
        slot = argument(value);
        auto const found = model.entries.find(key);
        if (found != model.entries.end()) {
            found->second.value = value;
            return;
        }
        POSITION const assoc = map.AssocOf(&slot);
        model.took(assoc);
        model.entries[key] = {value, hashOf(key) % buckets, model.insertions++, assoc};
    };
    auto remove = [&](int k) {
        auto const found = model.entries.find(T::Key(k));
        FUZZ_CHECK(map.RemoveKey(argument(T::Key(k))) == (found != model.entries.end() ? 1 : 0));
        if (found != model.entries.end()) {
            model.freed(found);
        }
    };
    for (int steps = 0; steps < 256 && !in.Empty(); ++steps) {
        // Set when the map has just dropped to empty and must have released everything; an
        // empty map may hold a bucket table that InitHashTable allocated.
        bool const wasEmpty = model.entries.empty();
        bool released = false;
        int const k = in.Range(0, kKeySpace - 1);
        int const run = in.Range(1, 48);
        int const stride = in.Range(1, 7);
        switch (in.Range(0, 7)) {
            case 0:
            case 1:
                insert(k, T::Value(in));
                break;
            case 2:
            case 3:
                remove(k);
                break;
            case 4:
                for (int i = 0; i < run; ++i) {
                    insert((k + i * stride) % kKeySpace, T::Value(in));
                }
                break;
            case 5:
                for (int i = 0; i < run; ++i) {
                    remove((k + i * stride) % kKeySpace);
                }
                break;
            case 6:
                if (model.entries.empty()) {
                    static unsigned int const sizes[] = {1, 2, 17, 64, 1024, 1025, 3000};
                    buckets = sizes[in.Range(0, 6)];
                    map.InitHashTable(buckets, in.Byte() & 1);
                    break;
                }
                [[fallthrough]];
            default:
                map.RemoveAll();
                model.entries.clear();
                model.spare.clear();
                released = true;
                break;
        }
        checkMap<T>(map, model, buckets, released || (!wasEmpty && model.entries.empty()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput in(data, size);
    switch (in.Range(0, 5)) {
        case 0:
            runArrays<DWordArray, unsigned int>(in, dword);
            break;
        case 1:
            checkSharedInsert(in);
            runArrays<StringArray, std::string>(in, word);
            break;
        case 2:
            runLists(in);
            break;
        case 3:
            runMap<StringKeyed>(in);
            break;
        case 4:
            runMap<WordKeyed>(in);
            break;
        default:
            runMap<PointerKeyed>(in);
            break;
    }
    return 0;
}
