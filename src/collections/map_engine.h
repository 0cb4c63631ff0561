// The one implementation behind the seven map classes.
//
// MapReader answers the const questions (lookup, walk) from a map's bucket array, size and
// count; MapEngine works on references to all six fields of one map object and does the
// inserting, removing and freeing. Both are parameterised by the map's association type, a key
// policy (map_keys.h) and a value policy (element_policies.h). Associations come from CPlex
// blocks carved into the free list (node_blocks.h); the most recently freed one is reused first,
// and the bucket array and every block are freed together as soon as the map is empty. Both also
// know the class name, for the caller-error checks of the checked build (checked.h).
//
// Both know the map object's address too, under which larger maps keep an index of their
// associations (map_index.h) in a side table (map_index_registry.h): lookups, insertions and
// removals then find an association, and the link that points at it, in expected constant time
// instead of walking its chain. Only the operations that change a map change its index; reading
// operations only read it, so several threads may still read one unchanging map at once. The
// index never changes what the map holds or does: every bucket, chain, association address,
// block and array allocation is exactly what the chain walk alone would produce. An index that
// cannot be built or grown for lack of memory is dropped and the map walks its chains.
#ifndef VELQON_COLLECTIONS_MAP_ENGINE_H
#define VELQON_COLLECTIONS_MAP_ENGINE_H

#include "checked.h"
#include "element_policies.h"
#include "map_index.h"
#include "map_index_registry.h"
#include "map_keys.h"
#include "node_blocks.h"

namespace velqon_internal {

// The map's index when it has one that describes it exactly (same bucket array, size and
// count), else null. Looks in the side table only for maps that may have one. (An index that
// does not describe its map is never used: a derived class changed the fields itself.)
inline MapIndex* IndexOf(void const* self, void const* table, unsigned int tableSize, int count) {
    if (table == nullptr || !MayHaveIndex(count, tableSize)) {
        return nullptr;
    }
    MapIndex* const index = FindIndex(self);
    return index != nullptr && index->Describes(table, tableSize, count) ? index : nullptr;
}

// Detaches and frees the index of a map, if it has one.
inline void DropIndex(void const* self) {
    MapIndex::Destroy(static_cast<MapIndex*>(DetachMapIndex(self)));
}

template <class Assoc, class Keys, class Values>
class MapReader {
public:
    using KeyArg = typename Keys::Arg;
    using Value = typename Values::Element;

    MapReader(velqon_internal::CheckedOnly<char const*> className, void const* self,
              Assoc* const* const& table, unsigned int const& tableSize, int const& count)
        : m_self(self),
          m_table(table),
          m_tableSize(tableSize),
          m_count(count),
          m_class(className) {}

    // Writes the key's bucket index (also without a bucket array) and returns its association.
    Assoc* GetAssocAt(KeyArg key, unsigned int& bucket) const {
        unsigned int const hash = Keys::Hash(key);
        bucket = hash % m_tableSize;
        return Locate(key, hash);
    }

    // The association of `key`, whose hash is `hash`, or null: from the index when the map has
    // one, else from its chain. Small maps walk their chain inline; maps that may have an index
    // continue out of line, so that the short path needs no registers saved.
    __attribute__((always_inline)) Assoc* Locate(KeyArg key, unsigned int hash) const {
        if (__builtin_expect(LooksUpThroughIndex(m_count), 0)) {
            return LocateIndexed(m_self, m_table, SizeAndCount(), key, hash);
        }
        return Walk(m_table, key, hash % m_tableSize);
    }

    // The first association of the chain of `bucket` whose key equals `key`, or null.
    static Assoc* Walk(Assoc* const* table, KeyArg key, unsigned int bucket) {
        if (table == nullptr) {
            return nullptr;
        }
        for (Assoc* assoc = table[bucket]; assoc != nullptr; assoc = assoc->pNextAssoc) {
            if (Keys::Equal(assoc->key, key)) {
                return assoc;
            }
        }
        return nullptr;
    }

    // The association of `key` (of hash `hash`) in `index`, or null.
    static Assoc* FromIndex(MapIndex const& index, KeyArg key, unsigned int hash) {
        return static_cast<Assoc*>(index.FindAssoc(Keys::Tag(key, hash), [key](void* assoc) {
            return Keys::Equal(static_cast<Assoc const*>(assoc)->key, key);
        }));
    }

    // The slot of the association of `key` (of hash `hash`) in `index`, or kNone.
    static uint32_t SlotOf(MapIndex const& index, KeyArg key, unsigned int hash) {
        return index.Find(Keys::Tag(key, hash), [key](void* assoc) {
            return Keys::Equal(static_cast<Assoc const*>(assoc)->key, key);
        });
    }

    // Lookup (Field: the value) and LookupKey (Field: the map's own key; for string keys the
    // output is a pointer to its characters): 1 and the field delivered into `out` when the key
    // is present, else 0 and `out` untouched. A map that may have an index continues in a tail
    // call.
    template <auto Field, class Out>
    __attribute__((always_inline)) int Deliver(KeyArg key, Out& out) const {
        unsigned int const hash = Keys::Hash(key);
        if (__builtin_expect(LooksUpThroughIndex(m_count), 0)) {
            if constexpr (Keys::kCheapEqual) {
                // The hinted index is searched inline too: no call, so still no registers saved.
                // (The empty asm keeps the compiler from loading this path's fields before the
                // branch, on the path of small maps.)
                asm volatile("" ::: "memory");
                MapIndex const* const index = HintedIndex(m_self);
                if (index != nullptr && index->Describes(m_table, m_tableSize, m_count)) {
                    return DeliverFound<Field>(FromIndex(*index, key, hash), out);
                }
            }
            return DeliverIndexed<Field>(m_self, m_table, SizeAndCount(), key, hash, out);
        }
        return DeliverFound<Field>(Walk(m_table, key, hash % m_tableSize), out);
    }

    // GetValueAt: the key's value, or zero.
    __attribute__((always_inline)) Value ValueAt(KeyArg key) const {
        unsigned int const hash = Keys::Hash(key);
        if (__builtin_expect(LooksUpThroughIndex(m_count), 0)) {
            return ValueIndexed(m_self, m_table, SizeAndCount(), key, hash);
        }
        Assoc const* const assoc = Walk(m_table, key, hash % m_tableSize);
        return assoc != nullptr ? assoc->value : Value();
    }

    // Delivers the association at `position` (POSITION_BEFORE_FIRST: the first one) and moves
    // the position to its successor: the next in its chain, else the head of the next non-empty
    // bucket, else null.
    template <class KeyOut>
    void GetNextAssoc(POSITION& position, KeyOut& key, Value& value) const {
        VELQON_CHECK(position != nullptr, "%s::GetNextAssoc: null position", m_class.Get());
        VELQON_CHECK(position != POSITION_BEFORE_FIRST || m_count != 0,
                     "%s::GetNextAssoc: POSITION_BEFORE_FIRST on an empty map", m_class.Get());
        Assoc const* current = reinterpret_cast<Assoc const*>(position);
        if (position == POSITION_BEFORE_FIRST) {
            current = FirstFrom(0);
        }
        Assoc* next = current->pNextAssoc;
        if (next == nullptr) {
            next = FirstFrom(Keys::BucketOf(current, m_tableSize) + 1);
        }
        position = reinterpret_cast<POSITION>(next);
        key = current->key;
        value = current->value;
    }

private:
    // The table size and the count in one word, so that the out-of-line paths take all their
    // arguments in registers and the inline paths can reach them with a tail call.
    uint64_t SizeAndCount() const {
        return static_cast<uint64_t>(static_cast<uint32_t>(m_count)) << 32 | m_tableSize;
    }

    template <auto Field, class Out>
    static int DeliverFound(Assoc const* assoc, Out& out) {
        if (assoc == nullptr) {
            return 0;
        }
        out = assoc->*Field;
        return 1;
    }

    // Locate for a map that may have an index: through this thread's hint, else the side table,
    // else the chain.
    static Assoc* FindIndexed(void const* self, Assoc* const* table, uint64_t sizeAndCount,
                              KeyArg key, unsigned int hash) {
        auto const tableSize = static_cast<unsigned int>(sizeAndCount);
        auto const count = static_cast<int>(sizeAndCount >> 32);
        MapIndex const* index = HintedIndex(self);
        if (index == nullptr || !index->Describes(table, tableSize, count)) {
            index = IndexOf(self, table, tableSize, count);
        }
        if (index != nullptr) {
            return FromIndex(*index, key, hash);
        }
        return Walk(table, key, hash % tableSize);
    }

    __attribute__((noinline)) static Assoc* LocateIndexed(void const* self, Assoc* const* table,
                                                          uint64_t sizeAndCount, KeyArg key,
                                                          unsigned int hash) {
        return FindIndexed(self, table, sizeAndCount, key, hash);
    }

    template <auto Field, class Out>
    __attribute__((noinline)) static int DeliverIndexed(void const* self, Assoc* const* table,
                                                        uint64_t sizeAndCount, KeyArg key,
                                                        unsigned int hash, Out& out) {
        return DeliverFound<Field>(FindIndexed(self, table, sizeAndCount, key, hash), out);
    }

    __attribute__((noinline)) static Value ValueIndexed(void const* self, Assoc* const* table,
                                                        uint64_t sizeAndCount, KeyArg key,
                                                        unsigned int hash) {
        Assoc const* const assoc = FindIndexed(self, table, sizeAndCount, key, hash);
        return assoc != nullptr ? assoc->value : Value();
    }

    // Head of the first non-empty bucket at or after `bucket`, or null. A large table asks its
    // index instead of scanning.
    Assoc* FirstFrom(unsigned int bucket) const {
        if (m_tableSize > kLargeTable) {
            if (MapIndex const* const index = IndexOf(m_self, m_table, m_tableSize, m_count)) {
                bucket = index->NextOccupied(bucket);
                return bucket < m_tableSize ? m_table[bucket] : nullptr;
            }
        }
        for (; bucket < m_tableSize; ++bucket) {
            if (m_table[bucket] != nullptr) {
                return m_table[bucket];
            }
        }
        return nullptr;
    }

    void const* m_self;
    // The map's own fields, read where they are used, so that a path that does not need one
    // does not load it.
    Assoc* const* const& m_table;
    unsigned int const& m_tableSize;
    int const& m_count;
    [[no_unique_address]] velqon_internal::CheckedOnly<char const*> m_class;
};

template <class Assoc, class Keys, class Values>
class MapEngine {
public:
    using KeyArg = typename Keys::Arg;
    using Value = typename Values::Element;
    using ReaderType = MapReader<Assoc, Keys, Values>;

    MapEngine(char const* className, void const* self, Assoc**& table, unsigned int& tableSize,
              int& count, Assoc*& freeList, CPlex*& blocks, int& blockSize)
        : m_self(self),
          m_table(table),
          m_tableSize(tableSize),
          m_count(count),
          m_freeList(freeList),
          m_blocks(blocks),
          m_blockSize(blockSize),
          m_class(className) {}

    // Replaces the bucket array (only on an empty map). On std::bad_alloc the map is left
    // without a bucket array and with its old size, which is its initial state.
    void InitHashTable(unsigned int tableSize, int allocateNow) {
        VELQON_CHECK(tableSize >= 1, "%s::InitHashTable: table size 0", m_class.Get());
        VELQON_CHECK(m_count == 0, "%s::InitHashTable: map not empty (count %d)", m_class.Get(),
                     m_count);
        delete[] m_table;
        m_table = nullptr;
        if (allocateNow != 0) {
            m_table = new Assoc*[tableSize]();
        }
        m_tableSize = tableSize;
    }

    // operator[]: the key's value, inserting the key at the head of its bucket when absent.
    // A map that may have an index goes out of line, so that small maps keep the short path.
    __attribute__((always_inline)) Value& FindOrInsert(KeyArg key) {
        unsigned int const hash = Keys::Hash(key);
        unsigned int const bucket = hash % m_tableSize;
        if (m_table != nullptr && MayHaveIndex(m_count, m_tableSize)) {
            return FindOrInsertIndexed(key, hash, bucket);
        }
        if (Assoc* const found = ReaderType::Walk(m_table, key, bucket)) {
            return found->value;
        }
        Assoc* const assoc = Insert(key, bucket);
        if (BuildsIndex(m_count, m_tableSize)) {
            BuildIndex();
        }
        return assoc->value;
    }

    // RemoveKey; likewise out of line for a map that may have an index.
    __attribute__((always_inline)) int RemoveKey(KeyArg key) {
        if (m_table == nullptr) {
            return 0;
        }
        unsigned int const hash = Keys::Hash(key);
        unsigned int const bucket = hash % m_tableSize;
        if (MayHaveIndex(m_count, m_tableSize)) {
            return RemoveKeyIndexed(key, hash, bucket);
        }
        return RemoveFromChain(key, bucket);
    }

    void RemoveAll() {
        // A map that cannot have an index has none: it is dropped as the map shrinks.
        if (MayHaveIndex(m_count, m_tableSize)) {
            DropIndex(m_self);
        }
        if (m_table != nullptr && (Keys::kNeedsDestruction || Values::kNeedsDestruction)) {
            // Free associations hold nothing: their strings were destroyed when they were freed.
            for (unsigned int bucket = 0; bucket < m_tableSize; ++bucket) {
                for (Assoc* assoc = m_table[bucket]; assoc != nullptr; assoc = assoc->pNextAssoc) {
                    Release(assoc);
                }
            }
        }
        delete[] m_table;
        m_table = nullptr;
        m_count = 0;
        m_freeList = nullptr;
        ReleaseBlocks(m_blocks);
    }

    // A counted association with a zero (empty) key and value; the caller links it.
    Assoc* NewAssoc() {
        if (m_freeList == nullptr) {
            CarveBlock(m_blocks, m_blockSize, m_freeList, &Assoc::pNextAssoc);
        }
        Assoc* const assoc = m_freeList;
        m_freeList = assoc->pNextAssoc;
        ++m_count;
        Keys::Construct(assoc);
        Values::Construct(&assoc->value, 1);
        return assoc;
    }

    void FreeAssoc(Assoc* assoc) {
        Release(assoc);
        assoc->pNextAssoc = m_freeList;
        m_freeList = assoc;
        if (--m_count == 0) {
            RemoveAll();
        }
    }

private:
    static void Release(Assoc* assoc) {
        Keys::Destroy(assoc);
        Values::Destroy(&assoc->value, 1);
    }

    // Makes a new association for `key` the head of `bucket` (allocating the bucket array if
    // needed) and returns it. On std::bad_alloc the map is as it was.
    __attribute__((always_inline)) Assoc* Insert(KeyArg key, unsigned int bucket) {
        if (m_table == nullptr) {
            InitHashTable(m_tableSize, 1);
        }
        Assoc* const assoc = NewAssoc();
        try {
            Keys::Assign(assoc, key, bucket);
        } catch (...) {
            FreeAssoc(assoc);  // copying a string key may fail; leave the map as it was
            throw;
        }
        assoc->pNextAssoc = m_table[bucket];
        m_table[bucket] = assoc;
        return assoc;
    }

    __attribute__((noinline)) Value& FindOrInsertIndexed(KeyArg key, unsigned int hash,
                                                         unsigned int bucket) {
        MapIndex* const index = CurrentIndex();
        Assoc* const found = index != nullptr ? ReaderType::FromIndex(*index, key, hash)
                                              : ReaderType::Walk(m_table, key, bucket);
        if (found != nullptr) {
            return found->value;
        }
        Assoc* const assoc = Insert(key, bucket);
        if (index != nullptr) {
            if (!index->AddHead(assoc, Keys::Tag(key, hash), bucket)) {
                DropIndex(m_self);
            }
        } else if (BuildsIndex(m_count, m_tableSize)) {
            BuildIndex();
        }
        return assoc->value;
    }

    // Unlinks and frees the association of `key` found by walking the chain of `bucket` with
    // the link that points at the current association (the bucket slot, then the previous
    // association's next field); 1 when found, else 0.
    int RemoveFromChain(KeyArg key, unsigned int bucket) {
        Assoc** link = &m_table[bucket];
        for (Assoc* assoc = *link; assoc != nullptr; link = &assoc->pNextAssoc, assoc = *link) {
            if (Keys::Equal(assoc->key, key)) {
                *link = assoc->pNextAssoc;
                FreeAssoc(assoc);
                return 1;
            }
        }
        return 0;
    }

    // RemoveKey through the index: it finds the association and its predecessor, whose next
    // field (or the bucket slot, for a chain's head) is the link to change.
    __attribute__((noinline)) int RemoveKeyIndexed(KeyArg key, unsigned int hash,
                                                   unsigned int bucket) {
        MapIndex* const index = CurrentIndex();
        if (index == nullptr) {
            return RemoveFromChain(key, bucket);
        }
        uint32_t const slot = ReaderType::SlotOf(*index, key, hash);
        if (slot == MapIndex::kNone) {
            return 0;
        }
        Assoc* const assoc = static_cast<Assoc*>(index->AssocAt(slot));
        Assoc* const predecessor = static_cast<Assoc*>(index->PredecessorOf(slot));
        Assoc** const link = predecessor != nullptr ? &predecessor->pNextAssoc : &m_table[bucket];
        if (*link != assoc) {
            DropIndex(m_self);  // the chains were changed behind the index: walk them
            return RemoveFromChain(key, bucket);
        }
        *link = assoc->pNextAssoc;
        if (KeepsIndex(m_count - 1, m_tableSize)) {
            index->Remove(slot, bucket);
        } else {
            DropIndex(m_self);
        }
        FreeAssoc(assoc);
        return 1;
    }

    // The index of the map, after dropping one that no longer describes it (a derived class
    // changed the fields directly).
    MapIndex* CurrentIndex() {
        if (m_table == nullptr || !MayHaveIndex(m_count, m_tableSize)) {
            return nullptr;
        }
        MapIndex* const index = FindIndex(m_self);
        if (index != nullptr && !index->Describes(m_table, m_tableSize, m_count)) {
            DropIndex(m_self);
            return nullptr;
        }
        return index;
    }

    // Indexes every association, chain by chain from the heads; on a shortage of memory the map
    // goes on without an index. An index still filed under this address (left by a map whose
    // memory was reused without its destructor) is dropped first.
    __attribute__((noinline)) void BuildIndex() {
        DropIndex(m_self);
        MapIndex* const index = MapIndex::Create(m_self, m_table, m_tableSize, m_count);
        if (index == nullptr) {
            return;
        }
        index->Adopt(m_self);
        for (unsigned int bucket = 0; bucket < m_tableSize; ++bucket) {
            uint32_t previous = MapIndex::kNone;
            for (Assoc* assoc = m_table[bucket]; assoc != nullptr; assoc = assoc->pNextAssoc) {
                previous = index->Append(assoc, Keys::StoredTag(assoc), bucket, previous);
                if (previous == MapIndex::kNone) {
                    MapIndex::Destroy(index);
                    return;
                }
            }
        }
        if (!AttachMapIndex(m_self, index)) {
            MapIndex::Destroy(index);
        }
    }

    void const* m_self;
    Assoc**& m_table;
    unsigned int& m_tableSize;
    int& m_count;
    Assoc*& m_freeList;
    CPlex*& m_blocks;
    int& m_blockSize;
    [[no_unique_address]] velqon_internal::CheckedOnly<char const*> m_class;
};

}  // namespace velqon_internal

// The reader over the map whose member is being defined, and the engine bound to its fields.
#define VELQON_MAP_READER(X, Keys, Values)                                                     \
    velqon_internal::MapReader<CAssoc, Keys, Values>(#X, this, m_pHashTable, m_nHashTableSize, \
                                                     m_nCount)
#define VELQON_MAP_ENGINE(X, Keys, Values)            \
    velqon_internal::MapEngine<CAssoc, Keys, Values>( \
        #X, this, m_pHashTable, m_nHashTableSize, m_nCount, m_pFreeList, m_pBlocks, m_nBlockSize)

// Lookups of small maps are a few instructions long; starting them on a cache line of their own
// keeps their chain walk from straddling two, wherever the linker puts them.
#define VELQON_MAP_HOT __attribute__((aligned(64)))

// Defines the members every map class X shares, each a forward to the reader or the engine.
// KeyOut is the type GetNextAssoc delivers keys in.
// NOLINTBEGIN(bugprone-macro-parentheses): X and KeyOut name types in declarations (X::CAssoc,
// KeyOut& key), where parentheses are not allowed.
#define VELQON_DEFINE_MAP_MEMBERS(X, Keys, Values, KeyOut)                                \
    X::X(int blockSize)                                                                   \
        : m_pHashTable(nullptr),                                                          \
          m_nHashTableSize(17),                                                           \
          m_nCount(0),                                                                    \
          m_pFreeList(nullptr),                                                           \
          m_pBlocks(nullptr),                                                             \
          m_nBlockSize(blockSize) {                                                       \
        VELQON_CHECK(blockSize >= 1, #X "::" #X ": block size %d below 1", blockSize);    \
    }                                                                                     \
    X::~X() {                                                                             \
        RemoveAll();                                                                      \
    }                                                                                     \
    unsigned int X::HashKey(Keys::Arg key) const {                                        \
        return Keys::Hash(key);                                                           \
    }                                                                                     \
    void X::InitHashTable(unsigned int hashSize, int allocateNow) {                       \
        VELQON_MAP_ENGINE(X, Keys, Values).InitHashTable(hashSize, allocateNow);          \
    }                                                                                     \
    VELQON_MAP_HOT int X::Lookup(Keys::Arg key, Values::Element& value) const {           \
        return VELQON_MAP_READER(X, Keys, Values).Deliver<&CAssoc::value>(key, value);    \
    }                                                                                     \
    Values::Element& X::operator[](Keys::Arg key) {                                       \
        return VELQON_MAP_ENGINE(X, Keys, Values).FindOrInsert(key);                      \
    }                                                                                     \
    int X::RemoveKey(Keys::Arg key) {                                                     \
        return VELQON_MAP_ENGINE(X, Keys, Values).RemoveKey(key);                         \
    }                                                                                     \
    void X::RemoveAll() {                                                                 \
        VELQON_MAP_ENGINE(X, Keys, Values).RemoveAll();                                   \
    }                                                                                     \
    /* Called only by derived classes, which link and unlink the association themselves,  \
       behind the index: drop it. */                                                      \
    X::CAssoc* X::NewAssoc() {                                                            \
        velqon_internal::DropIndex(this);                                                 \
        return VELQON_MAP_ENGINE(X, Keys, Values).NewAssoc();                             \
    }                                                                                     \
    void X::FreeAssoc(CAssoc* assoc) {                                                    \
        velqon_internal::DropIndex(this);                                                 \
        VELQON_MAP_ENGINE(X, Keys, Values).FreeAssoc(assoc);                              \
    }                                                                                     \
    X::CAssoc* X::GetAssocAt(Keys::Arg key, unsigned int& bucket) const {                 \
        return VELQON_MAP_READER(X, Keys, Values).GetAssocAt(key, bucket);                \
    }                                                                                     \
    void X::GetNextAssoc(POSITION& position, KeyOut& key, Values::Element& value) const { \
        VELQON_MAP_READER(X, Keys, Values).GetNextAssoc(position, key, value);            \
    }
// NOLINTEND(bugprone-macro-parentheses)

#endif  // VELQON_COLLECTIONS_MAP_ENGINE_H
