// Sequences of collection operations checked after every step against reference models written
// from the documented rules; the first byte picks the class. Arrays: a std::vector, plus the
// capacity and growth step the growth rule predicts. Lists: (position, element) pairs, plus the
// spare nodes. Maps: a std::map, plus what the plain bucket-and-chain algorithm makes of it:
// buckets, chain order, walk order and association addresses. Runs of insertions and removals
// take maps across the sizes at which lookups change strategy many times, and a derived class
// changes chains and counts behind the map's back.
#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "VelqonMfcContainers.h"
#include "fuzz_input.h"

namespace {

template <class T>
constexpr bool kIsText = std::is_same<T, std::string>::value;

// An element value: one of a few texts (so that strings share and compare in interesting ways,
// case included), a small pointer, or an integer (a byte array keeps its low 8 bits).
template <class T>
T Make(FuzzInput& in) {
    static char const* const kWords[] = {"", "a", "A", "bb", "a longer element text"};
    if constexpr (kIsText<T>) {
        return kWords[in.Range(0, 4)];
    } else if constexpr (std::is_pointer<T>::value) {
        return reinterpret_cast<T>(static_cast<uintptr_t>(in.Byte()));
    } else {
        int const high = in.Byte();
        return static_cast<T>(high << 8 | in.Byte());
    }
}

bool operator==(CPortableString const& s, std::string const& text) {
    return s.GetLength() == static_cast<int>(text.size()) && text == static_cast<char const*>(s);
}

// The argument a member takes for a model value or key.
template <class T>
T Arg(T value) {
    return value;
}

char const* Arg(std::string const& value) {
    return value.c_str();
}

// Calls use(argument) with `value`; a text goes as a C string (how 0), a string (how 1), or as
// `*own`, a string holding it.
template <class T, class Use>
void Pass(T const& value, int how, CPortableString const* own, Use use) {
    if constexpr (kIsText<T>) {
        if (own != nullptr) {
            use(*own);
            return;
        }
        if (how == 1) {
            use(CPortableString(value.c_str()));
            return;
        }
    }
    use(Arg(value));
}

template <class X>
struct Array : X {
    int Allocated() const { return this->m_nAllocated; }
    int GrowStep() const { return this->m_nGrowStep; }
};

// Elements, capacity and stored growth step as the growth rule predicts them.
template <class T>
struct ArrayModel {
    std::vector<T> elements;
    int allocated = 0;
    int growStep = 0;

    void SetSize(int newSize, int step = -1) {
        growStep = step != -1 ? step : growStep;
        int const size = static_cast<int>(elements.size());
        if (newSize == 0 || allocated == 0) {
            allocated = newSize;
        } else if (newSize > allocated) {
            int const automatic = size <= 31 ? 4 : size >= 8200 ? 1024 : size / 8;
            allocated = std::max(allocated + (growStep != 0 ? growStep : automatic), newSize);
        }
        elements.resize(static_cast<size_t>(newSize), T());
    }

    // Inserts `values` at `index`, zero-filling up to it first when it lies past the end.
    void Insert(int index, std::vector<T> const& values) {
        std::vector<T> old = elements;
        int const end = std::max(index, static_cast<int>(old.size()));
        SetSize(end + static_cast<int>(values.size()));
        old.resize(static_cast<size_t>(end), T());
        old.insert(old.begin() + index, values.begin(), values.end());
        elements = old;
    }
};

// Two arrays that copy each other back and forth grow exponentially: they stop growing here.
int const kMostElements = 12000;

template <class X, class T>
void RunArrays(FuzzInput& in) {
    Array<X> arrays[2];
    ArrayModel<T> models[2];
    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        int const which = in.Byte() & 1;
        Array<X>& a = arrays[which];
        Array<X>& other = arrays[1 - which];
        ArrayModel<T>& m = models[which];
        std::vector<T> const& others = models[1 - which].elements;
        int const size = a.GetSize();
        int const index = in.Range(0, size + 8);
        int const count = in.Range(0, 5);
        int const how = in.Range(0, 2);
        // how 2: the value is an element of the array itself, which growth may move.
        bool const own = kIsText<T> && how == 2 && size > 0;
        int const source = own ? in.Range(0, size - 1) : 0;
        T const value = own ? m.elements[static_cast<size_t>(source)] : Make<T>(in);
        CPortableString const* element = nullptr;
        if constexpr (kIsText<T>) {
            element = own ? &a[source] : nullptr;
        }
        // The new elements share one block: the caller's, or one made from its C string.
        auto checkShared = [&](int first, int n) {
            if constexpr (kIsText<T>) {
                for (int i = first; !own && !value.empty() && i < first + n; ++i) {
                    FUZZ_CHECK(a[i].GetData() == a[first].GetData() &&
                               a[i].GetData()->nRefCount == n);
                }
            }
        };
        bool const roomy = size + other.GetSize() <= kMostElements;
        switch (in.Range(0, 8)) {
            case 0: {
                static int const kSteps[] = {-1, -1, 0, 1, 3, 16, -5};
                // Now and then past 8200 elements, where the automatic step is 1024.
                int const newSize = in.Range(0, 300) * (count == 5 && roomy ? 31 : 1);
                int const growStep = kSteps[in.Range(0, 6)];
                a.SetSize(newSize, growStep);
                m.SetSize(newSize, growStep);
                break;
            }
            case 1:
                Pass(value, how, element,
                     [&](auto const& argument) { a.SetAtGrow(index, argument); });
                m.SetSize(std::max(index + 1, size));
                m.elements[static_cast<size_t>(index)] = value;
                checkShared(index, 1);
                break;
            case 2:
                Pass(value, how, element,
                     [&](auto const& argument) { a.InsertAt(index, argument, count); });
                m.Insert(index, std::vector<T>(static_cast<size_t>(count), value));
                checkShared(index, count);
                break;
            case 3:
                if (roomy) {
                    a.InsertAt(index, &other);
                    if (!others.empty()) {
                        m.Insert(index, others);
                    }
                }
                break;
            case 4:
                if (size > 0) {
                    int const first = index % size;
                    int const removed = count % (size - first + 1);
                    a.RemoveAt(first, removed);
                    m.elements.erase(m.elements.begin() + first,
                                     m.elements.begin() + first + removed);
                }
                break;
            case 5:
                a.Copy(other);
                m.SetSize(static_cast<int>(others.size()));
                m.elements = others;
                break;
            case 6:
                if (roomy) {
                    FUZZ_CHECK(a.Append(other) == size);
                    m.Insert(size, others);
                }
                break;
            case 7:
                a.FreeExtra();
                m.allocated = size;
                break;
            default:
                if (size > 0) {
                    Pass(value, how, element,
                         [&](auto const& argument) { a.SetAt(index % size, argument); });
                    m.elements[static_cast<size_t>(index % size)] = value;
                    checkShared(index % size, 1);
                }
                break;
        }
        for (int i : {0, 1}) {
            FUZZ_CHECK(arrays[i].GetSize() == static_cast<int>(models[i].elements.size()) &&
                       arrays[i].Allocated() == models[i].allocated &&
                       arrays[i].GrowStep() == models[i].growStep &&
                       (arrays[i].GetData() == nullptr) == (models[i].allocated == 0));
            for (size_t e = 0; e < models[i].elements.size(); ++e) {
                FUZZ_CHECK(arrays[i].GetAt(static_cast<int>(e)) == models[i].elements[e]);
            }
        }
    }
}

// The spare nodes of a list or map: freed nodes are reused last-freed first, fresh blocks are
// handed out in ascending address order, and everything is released when it empties.
struct SpareNodes {
    std::vector<POSITION> spare;  // the back is handed out next
    int perBlock;
    size_t nodeSize;

    // Records the node a new element got: the last freed one, or the first of a fresh block.
    void Took(POSITION node) {
        if (!spare.empty()) {
            FUZZ_CHECK(node == spare.back());
            spare.pop_back();
            return;
        }
        for (int i = perBlock - 1; i >= 1; --i) {
            spare.push_back(reinterpret_cast<POSITION>(reinterpret_cast<uintptr_t>(node) +
                                                       static_cast<size_t>(i) * nodeSize));
        }
    }

    void Freed(POSITION node, bool emptied) {
        spare.push_back(node);
        if (emptied) {
            spare.clear();
        }
    }
};

template <class X>
struct List : X {
    explicit List(int nodesPerBlock) : X(nodesPerBlock) {}
    static size_t NodeSize() { return sizeof(typename X::CNode); }
    bool HoldsNoMemory() const { return !this->m_pNodeBlocks && !this->m_pSpareNodes; }
};

template <class X, class T>
void RunLists(FuzzInput& in) {
    int const nodesPerBlock = in.Range(1, 6);
    List<X> list(nodesPerBlock);
    X other;
    std::vector<T> others;
    SpareNodes spare{{}, nodesPerBlock, List<X>::NodeSize()};
    std::vector<std::pair<POSITION, T>> items;  // in list order
    auto put = [&](size_t where, POSITION node, T const& value) {
        spare.Took(node);
        items.insert(items.begin() + static_cast<long>(where), {node, value});
    };
    auto remove = [&](size_t at) {
        T const value = items[at].second;
        spare.Freed(items[at].first, items.size() == 1);
        items.erase(items.begin() + static_cast<long>(at));
        return value;
    };
    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        size_t const count = items.size();
        // An element, or none (count), which the insertions take as the head or the tail.
        size_t const at = static_cast<size_t>(in.Range(0, static_cast<int>(count)));
        POSITION const position = at < count ? items[at].first : nullptr;
        T const value = Make<T>(in);
        int const how = in.Byte() & 1;
        int const op = in.Range(0, 8);
        switch (op) {
            case 0:
            case 1:
            case 2:
            case 3:
                // AddHead, AddTail, InsertBefore, InsertAfter.
                Pass(value, how, nullptr, [&](auto const& argument) {
                    POSITION const node = op == 0   ? list.AddHead(argument)
                                          : op == 1 ? list.AddTail(argument)
                                          : op == 2 ? list.InsertBefore(position, argument)
                                                    : list.InsertAfter(position, argument);
                    bool const after = op % 2 == 1;
                    put(op < 2 || position == nullptr ? (after ? count : 0) : at + (after ? 1 : 0),
                        node, value);
                });
                break;
            case 4:
                if (count > 0 && at == 0) {
                    FUZZ_CHECK(list.RemoveHead() == remove(0));
                } else if (count > 0 && position == nullptr) {
                    FUZZ_CHECK(list.RemoveTail() == remove(count - 1));
                } else if (count > 0) {
                    list.RemoveAt(position);
                    remove(at);
                }
                break;
            case 5: {
                // Copies of another list's elements, in their order, in front of the head (made
                // from its tail, so that their nodes are taken last first) or after the tail.
                other.AddTail(Arg(value));
                others.push_back(value);
                if (how == 1) {
                    list.AddHead(&other);
                } else {
                    list.AddTail(&other);
                }
                std::vector<POSITION> nodes;
                for (POSITION walk = list.FindIndex(how == 1 ? 0 : static_cast<int>(count));
                     nodes.size() < others.size(); list.GetNext(walk)) {
                    nodes.push_back(walk);
                }
                for (size_t n = 0; n < others.size(); ++n) {
                    size_t const i = how == 1 ? others.size() - 1 - n : n;
                    put(how == 1 ? 0 : count + i, nodes[i], others[i]);
                }
                break;
            }
            case 6: {
                int const index = static_cast<int>(at) - 2 * how;
                FUZZ_CHECK(list.FindIndex(index) == (index >= 0 && index < static_cast<int>(count)
                                                         ? items[static_cast<size_t>(index)].first
                                                         : nullptr));
                break;
            }
            case 7: {
                // The start node itself is never compared.
                size_t i = position == nullptr ? 0 : at + 1;
                while (i < count && !(items[i].second == value)) {
                    ++i;
                }
                FUZZ_CHECK(list.Find(Arg(value), position) ==
                           (i < count ? items[i].first : nullptr));
                break;
            }
            default:
                list.RemoveAll();
                items.clear();
                spare.spare.clear();
                break;
        }
        FUZZ_CHECK(list.GetCount() == static_cast<int>(items.size()));
        POSITION forward = list.GetHeadPosition();
        POSITION backward = list.GetTailPosition();
        for (size_t i = 0; i < items.size(); ++i) {
            FUZZ_CHECK(forward == items[i].first && list.GetNext(forward) == items[i].second);
            FUZZ_CHECK(backward == items[items.size() - 1 - i].first);
            list.GetPrev(backward);
        }
        FUZZ_CHECK(forward == nullptr && backward == nullptr);
        FUZZ_CHECK(!items.empty() || list.HoldsNoMemory());
    }
}

// Reads a map's bucket array, and changes chains and counts as a derived class may.
template <class X>
struct Map : X {
    using typename X::CAssoc;
    using X::GetAssocAt;
    explicit Map(int blockSize) : X(blockSize) {}
    CAssoc*& Head(unsigned int bucket) const { return this->m_pHashTable[bucket]; }
    bool HasTable() const { return this->m_pHashTable != nullptr; }
    bool HoldsNoMemory() const { return !this->m_pHashTable && !this->m_pBlocks; }
    static POSITION AssocOf(void const* value) {
        return reinterpret_cast<POSITION>(const_cast<char*>(static_cast<char const*>(value)) -
                                          offsetof(CAssoc, value));
    }
    // Unlinks `assoc` from the chain of `bucket`, then links it in again at the head (how 0),
    // frees it through FreeAssoc (how 1), or frees it by hand, only counting it down (how 2).
    void Relink(CAssoc* assoc, unsigned int bucket, int how) {
        CAssoc** link = &Head(bucket);
        while (*link != assoc) {
            link = &(*link)->pNextAssoc;
        }
        *link = assoc->pNextAssoc;
        if (how == 0) {
            assoc->pNextAssoc = Head(bucket);
            Head(bucket) = assoc;
        } else if (how == 1) {
            this->FreeAssoc(assoc);
        } else {
            using Key = decltype(assoc->key);
            using Value = decltype(assoc->value);
            assoc->key.~Key();
            assoc->value.~Value();
            assoc->pNextAssoc = this->m_pFreeList;
            this->m_pFreeList = assoc;
            --this->m_nCount;
        }
    }
    // Links an association for `key` from NewAssoc at the head of `bucket`.
    CAssoc* AddByHand(typename X::KeyArg key, unsigned int bucket) {
        CAssoc* const assoc = this->NewAssoc();
        assoc->key = key;
        if constexpr (std::is_same<typename X::Key, CPortableString>::value) {
            assoc->nBucketIndex = bucket;
        }
        assoc->pNextAssoc = Head(bucket);
        return Head(bucket) = assoc;
    }
};

unsigned int HashOf(std::string const& key) {
    unsigned int hash = 0;
    for (char c : key) {
        hash = hash * 33 + static_cast<unsigned int>(static_cast<int>(static_cast<signed char>(c)));
    }
    return hash;
}

// Pointer and word keys all hash to 0.
template <class K>
unsigned int HashOf(K) {
    return 0;
}

// The key families, each over kKeySpace keys numbered from 0. String keys include the empty key,
// keys that differ only in case, characters above 0x7F (negative as signed chars) and pairs with
// equal hashes ("ab" and "bA"); pointer keys include null.
constexpr int kKeySpace = 200;

// A map's value type as the model holds it.
template <class M>
using ModelValue =
    typename std::conditional<std::is_same<typename M::Value, CPortableString>::value, std::string,
                              typename M::Value>::type;

template <class M>
struct StringKeyed {
    using Map = M;
    using K = std::string;
    using V = ModelValue<M>;
    static K Key(int k) {
        char const c = static_cast<char>(k < 145 ? 'a' + k % 15 : k < 160 ? 'A' + k % 15 : k);
        if (k < 130) {
            return k == 0 ? "" : std::to_string(k);
        }
        if (k >= 180) {
            return {static_cast<char>('a' + (k - 180) / 2 + k % 2), k % 2 == 1 ? 'A' : 'b'};
        }
        return k < 160 ? std::string(1, c) : std::string{c, 'x'};
    }
};

template <class M>
struct WordKeyed {
    using Map = M;
    using K = unsigned short;
    using V = ModelValue<M>;
    static K Key(int k) { return static_cast<K>(k * 331); }
};

template <class M>
struct PointerKeyed {
    using Map = M;
    using K = void*;
    using V = ModelValue<M>;
    static K Key(int k) { return reinterpret_cast<void*>(static_cast<uintptr_t>(k) * 24); }
};

// Each entry's value, bucket, insertion order (relinking at the head counts as an insertion)
// and association.
template <class T>
struct MapModel : SpareNodes {
    struct Entry {
        typename T::V value;
        unsigned int bucket;
        long inserted;
        POSITION assoc;
    };
    std::map<typename T::K, Entry> entries;
    long insertions = 0;

    // Entries in walk order: by bucket, latest insertion first.
    std::vector<std::pair<typename T::K, Entry>> Order() const {
        std::vector<std::pair<typename T::K, Entry>> sorted(entries.begin(), entries.end());
        std::sort(sorted.begin(), sorted.end(), [](auto const& a, auto const& b) {
            return a.second.bucket != b.second.bucket ? a.second.bucket < b.second.bucket
                                                      : a.second.inserted > b.second.inserted;
        });
        return sorted;
    }
};

// Compares everything a caller or a derived class can see: count, table size, every chain with
// its associations, the walk with its positions, and what every key of the key space looks up
// to (value, association, bucket, hash, and the class's own lookups).
template <class T>
void CheckMap(Map<typename T::Map>& map, MapModel<T> const& model, unsigned int buckets) {
    FUZZ_CHECK(map.GetCount() == static_cast<int>(model.entries.size()) &&
               map.GetHashTableSize() == buckets);
    auto const order = model.Order();
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
    FUZZ_CHECK((position == nullptr) == order.empty());
    for (size_t i = 0; i < order.size(); ++i) {
        typename T::Map::Key key{};
        typename T::Map::Value value{};
        map.GetNextAssoc(position, key, value);
        FUZZ_CHECK(key == order[i].first && value == order[i].second.value);
        FUZZ_CHECK(position == (i + 1 < order.size() ? order[i + 1].second.assoc : nullptr));
    }
    for (int k = 0; k < kKeySpace; ++k) {
        typename T::K const key = T::Key(k);
        auto const found = model.entries.find(key);
        bool const present = found != model.entries.end();
        typename T::Map::Value value{};
        FUZZ_CHECK(map.Lookup(Arg(key), value) == (present ? 1 : 0));
        FUZZ_CHECK(!present || value == found->second.value);
        FUZZ_CHECK(map.HashKey(Arg(key)) == HashOf(key));
        unsigned int bucket = buckets;
        auto* const assoc = map.GetAssocAt(Arg(key), bucket);
        FUZZ_CHECK(bucket == HashOf(key) % buckets);
        FUZZ_CHECK(reinterpret_cast<POSITION>(assoc) == (present ? found->second.assoc : nullptr));
        if constexpr (std::is_same<typename T::Map, CMapPtrToPtr>::value) {
            FUZZ_CHECK(map.GetValueAt(key) == (present ? found->second.value : nullptr));
        }
        if constexpr (kIsText<typename T::K>) {
            char const* stored = nullptr;
            FUZZ_CHECK(map.LookupKey(Arg(key), stored) == (present ? 1 : 0));
            FUZZ_CHECK(!present || stored == static_cast<char const*>(assoc->key));
        }
    }
}

// Inserts (a new key gets a zero value), removes (one key, or runs of up to 48 keys), empties,
// resizes the empty table (to sizes that include more than 1024 buckets), and, as a derived
// class, relinks or frees an association or links a new one.
template <class T>
void RunMap(FuzzInput& in) {
    using Probe = Map<typename T::Map>;
    int const blockSize = in.Range(1, 12);
    Probe map(blockSize);
    MapModel<T> model{{{}, blockSize, sizeof(typename Probe::CAssoc)}, {}, 0};
    unsigned int buckets = 17;
    auto added = [&](typename T::K const& key, POSITION assoc, typename T::V const& value) {
        model.Took(assoc);
        model.entries[key] = {value, HashOf(key) % buckets, model.insertions++, assoc};
    };
    auto freed = [&](auto entry) {
        model.Freed(entry->second.assoc, model.entries.size() == 1);
        model.entries.erase(entry);
    };
    auto insert = [&](int k) {
        typename T::V const value = Make<typename T::V>(in);
        auto& slot = map[Arg(T::Key(k))];
        auto const found = model.entries.find(T::Key(k));
        FUZZ_CHECK(found != model.entries.end() || slot == typename T::V());
        slot = Arg(value);
        if (found == model.entries.end()) {
            added(T::Key(k), map.AssocOf(&slot), value);
        } else {
            found->second.value = value;
        }
    };
    auto remove = [&](int k) {
        auto const found = model.entries.find(T::Key(k));
        FUZZ_CHECK(map.RemoveKey(Arg(T::Key(k))) == (found != model.entries.end() ? 1 : 0));
        if (found != model.entries.end()) {
            freed(found);
        }
    };
    for (int step = 0; step < 256 && !in.Empty(); ++step) {
        bool const wasEmpty = model.entries.empty();
        int const k = in.Range(0, kKeySpace - 1);
        int const run = in.Range(1, 48);
        int const stride = in.Range(1, 7);
        auto const found = model.entries.find(T::Key(k));
        auto* const assoc = found == model.entries.end()
                                ? nullptr
                                : reinterpret_cast<typename Probe::CAssoc*>(found->second.assoc);
        switch (in.Range(0, 8)) {
            case 0:
            case 1:
                insert(k);
                break;
            case 2:
            case 3:
                remove(k);
                break;
            case 4:
            case 5:
                for (int i = 0; i < run; ++i) {
                    if (stride % 2 == 0) {
                        insert((k + i * stride) % kKeySpace);
                    } else {
                        remove((k + i * stride) % kKeySpace);
                    }
                }
                break;
            case 6:
                if (wasEmpty) {
                    static unsigned int const kSizes[] = {1, 2, 17, 64, 1024, 1025, 2048, 3000};
                    buckets = kSizes[run % 8];
                    map.InitHashTable(buckets, stride % 2);
                    break;
                }
                [[fallthrough]];
            case 7:
                map.RemoveAll();
                model.entries.clear();
                model.spare.clear();
                FUZZ_CHECK(map.HoldsNoMemory());
                break;
            default:
                if (assoc == nullptr && map.HasTable()) {
                    auto* const made = map.AddByHand(Arg(T::Key(k)), HashOf(T::Key(k)) % buckets);
                    FUZZ_CHECK(made->value == typename T::V());
                    added(T::Key(k), reinterpret_cast<POSITION>(made), typename T::V());
                } else if (assoc != nullptr && (stride % 3 != 2 || model.entries.size() > 1)) {
                    map.Relink(assoc, HashOf(T::Key(k)) % buckets, stride % 3);
                    if (stride % 3 == 0) {
                        found->second.inserted = model.insertions++;
                    } else {
                        freed(found);
                    }
                }
                break;
        }
        FUZZ_CHECK(wasEmpty || !model.entries.empty() || map.HoldsNoMemory());
        CheckMap<T>(map, model, buckets);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static void (*const kFamilies[])(FuzzInput&) = {RunArrays<CDWordArray, unsigned int>,
                                                    RunArrays<CStringArray, std::string>,
                                                    RunLists<CStringList, std::string>,
                                                    RunMap<StringKeyed<CMapStringToString>>,
                                                    RunMap<WordKeyed<CMapWordToPtr>>,
                                                    RunMap<PointerKeyed<CMapPtrToPtr>>,
                                                    RunLists<CPtrList, void*>,
                                                    RunArrays<CByteArray, unsigned char>,
                                                    RunArrays<CWordArray, unsigned short>,
                                                    RunArrays<CUIntArray, unsigned int>,
                                                    RunArrays<CPtrArray, void*>,
                                                    RunArrays<CObArray, CObject*>,
                                                    RunLists<CObList, CObject*>,
                                                    RunMap<PointerKeyed<CMapPtrToWord>>,
                                                    RunMap<WordKeyed<CMapWordToOb>>,
                                                    RunMap<StringKeyed<CMapStringToPtr>>,
                                                    RunMap<StringKeyed<CMapStringToOb>>};
    FuzzInput in(data, size);
    kFamilies[in.Range(0, 16)](in);
    return 0;
}
