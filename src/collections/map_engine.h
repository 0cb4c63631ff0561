// The one implementation behind the seven map classes.
//
// MapReader answers the const questions (lookup, walk) from a map's bucket array and size;
// MapEngine works on references to all six fields of one map object and does the inserting,
// removing and freeing. Both are parameterised by the map's association type, a key policy
// (map_keys.h) and a value policy (element_policies.h). Associations come from CPlex blocks carved
// into the free list (node_blocks.h); the most recently freed one is reused first, and the bucket
// array and every block are freed together as soon as the map is empty. Both also know the class
// name and the count, for the caller-error checks of the checked build (checked.h).
#ifndef VELQON_COLLECTIONS_MAP_ENGINE_H
#define VELQON_COLLECTIONS_MAP_ENGINE_H

#include "checked.h"
#include "element_policies.h"
#include "map_keys.h"
#include "node_blocks.h"

namespace velqon_internal {

template <class Assoc, class Keys, class Values>
class MapReader {
public:
    using KeyArg = typename Keys::Arg;
    using Value = typename Values::Element;

    MapReader(velqon_internal::CheckedOnly<char const*> className, Assoc* const* table,
              unsigned int tableSize, velqon_internal::CheckedOnly<int> count)
        : m_table(table), m_tableSize(tableSize), m_class(className), m_count(count) {}

    // Writes the key's bucket index (also without a bucket array) and returns its association.
    Assoc* GetAssocAt(KeyArg key, unsigned int& bucket) const {
        bucket = Keys::Hash(key) % m_tableSize;
        if (m_table == nullptr) {
            return nullptr;
        }
        for (Assoc* assoc = m_table[bucket]; assoc != nullptr; assoc = assoc->pNextAssoc) {
            if (Keys::Equal(assoc->key, key)) {
                return assoc;
            }
        }
        return nullptr;
    }

    Assoc* Find(KeyArg key) const {
        unsigned int bucket;
        return GetAssocAt(key, bucket);
    }

    // Lookup (field: the value) and LookupKey (field: the map's own key; for string keys the
    // output is a pointer to its characters): 1 and the field delivered into `out` when the key
    // is present, else 0 and `out` untouched.
    template <class Field, class Out>
    int Deliver(KeyArg key, Field Assoc::*field, Out& out) const {
        Assoc const* const assoc = Find(key);
        if (assoc == nullptr) {
            return 0;
        }
        out = assoc->*field;
        return 1;
    }

    Value ValueAt(KeyArg key) const {
        Assoc const* const assoc = Find(key);
        return assoc != nullptr ? assoc->value : Value();
    }

    // Delivers the association at `position` (POSITION_BEFORE_FIRST: the first one) and moves
    // the position to its successor: the next in its chain, else the head of the next non-empty
    // bucket, else null.
    template <class KeyOut>
    void GetNextAssoc(POSITION& position, KeyOut& key, Value& value) const {
        VELQON_CHECK(position != nullptr, "%s::GetNextAssoc: null position", m_class.Get());
        VELQON_CHECK(position != POSITION_BEFORE_FIRST || m_count.Get() != 0,
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
    // Head of the first non-empty bucket at or after `bucket`, or null.
    Assoc* FirstFrom(unsigned int bucket) const {
        for (; bucket < m_tableSize; ++bucket) {
            if (m_table[bucket] != nullptr) {
                return m_table[bucket];
            }
        }
        return nullptr;
    }

    Assoc* const* m_table;
    unsigned int m_tableSize;
    [[no_unique_address]] velqon_internal::CheckedOnly<char const*> m_class;
    [[no_unique_address]] velqon_internal::CheckedOnly<int> m_count;
};

template <class Assoc, class Keys, class Values>
class MapEngine {
public:
    using KeyArg = typename Keys::Arg;
    using Value = typename Values::Element;

    MapEngine(char const* className, Assoc**& table, unsigned int& tableSize, int& count,
              Assoc*& freeList, CPlex*& blocks, int& blockSize)
        : m_table(table),
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
    Value& FindOrInsert(KeyArg key) {
        unsigned int bucket;
        if (Assoc* const found = Reader().GetAssocAt(key, bucket)) {
            return found->value;
        }
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
        return assoc->value;
    }

    int RemoveKey(KeyArg key) {
        if (m_table == nullptr) {
            return 0;
        }
        // `link` is the pointer that designates the current association: first the bucket slot,
        // then the previous association's next field.
        Assoc** link = &m_table[Keys::Hash(key) % m_tableSize];
        for (Assoc* assoc = *link; assoc != nullptr; link = &assoc->pNextAssoc, assoc = *link) {
            if (Keys::Equal(assoc->key, key)) {
                *link = assoc->pNextAssoc;
                FreeAssoc(assoc);
                return 1;
            }
        }
        return 0;
    }

    void RemoveAll() {
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

    MapReader<Assoc, Keys, Values> Reader() const {
        return {m_class, m_table, m_tableSize, m_count};
    }

private:
    static void Release(Assoc* assoc) {
        Keys::Destroy(assoc);
        Values::Destroy(&assoc->value, 1);
    }

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
#define VELQON_MAP_READER(X, Keys, Values) \
    velqon_internal::MapReader<CAssoc, Keys, Values>(#X, m_pHashTable, m_nHashTableSize, m_nCount)
#define VELQON_MAP_ENGINE(X, Keys, Values)                                                         \
    velqon_internal::MapEngine<CAssoc, Keys, Values>(#X, m_pHashTable, m_nHashTableSize, m_nCount, \
                                                     m_pFreeList, m_pBlocks, m_nBlockSize)

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
    int X::Lookup(Keys::Arg key, Values::Element& value) const {                          \
        return VELQON_MAP_READER(X, Keys, Values).Deliver(key, &CAssoc::value, value);    \
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
    X::CAssoc* X::NewAssoc() {                                                            \
        return VELQON_MAP_ENGINE(X, Keys, Values).NewAssoc();                             \
    }                                                                                     \
    void X::FreeAssoc(CAssoc* assoc) {                                                    \
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
