// An index that finds a map's associations in expected constant time, however long its bucket
// chains are, and that the map keeps beside itself (map_index_registry.h) rather than in its
// fields.
//
// The bucket array and its chains stay what they are: the only truth about the map, laid out
// and ordered exactly as without an index. The index only mirrors them, in an open-addressing
// table (linear probing) of slots, one per association: the association's address, a 32-bit
// tag of its key (the key's hash for string keys, a mix of the key for pointer and word keys),
// and the slots of its neighbours in its chain. A lookup reads one word per slot probed (the
// address and part of the tag); the rest lies in arrays of their own. So the index finds an
// association from its key and, for a removal from a singly linked chain, the link that points
// at it. It also keeps, per bucket, the slot of the chain's head, and the non-empty buckets in
// a bit tree that finds the next one in a few word reads however large the table is. Removed
// slots stay marked until the slots are next resized.
//
// Which maps have one (MayHaveIndex, KeepsIndex, BuildsIndex below): maps of more than
// kIndexAbove associations, until they shrink to kIndexKeptAbove or fewer, and maps of more
// than kLargeTable buckets as long as they hold anything. Smaller maps walk their short chains,
// which is cheaper. An index records the bucket array, its size and the number of associations
// it describes; an index that does not describe its map exactly is never used.
//
// Memory. An index takes two plain (not array) allocations: one for the per-bucket head slots
// (4 bytes per bucket) and the bit tree (about 1 bit per bucket), one for the slots (20 bytes
// each, at most three quarters and, after a resize, at most half in use). Its header (152
// bytes) comes from calloc and is kept for the next index when the index goes away (see
// OwnedBy), so headers never outnumber the most maps indexed at once. Creating or growing an
// index reports a shortage of memory by failing (null or false), never by throwing; the map
// then drops its index and walks its chains.
//
// Thread safety. An index is changed only by an operation that changes its map, and read by
// operations that only read it; it follows its map's rule: one writer, or any number of readers.
#ifndef VELQON_COLLECTIONS_MAP_INDEX_H
#define VELQON_COLLECTIONS_MAP_INDEX_H

#include <stdint.h>

#include <atomic>

namespace velqon_internal {

// Maps of more associations than this get an index...
constexpr int kIndexAbove = 32;
// ...and keep it until they hold this many or fewer.
constexpr int kIndexKeptAbove = 16;
// Bucket arrays larger than this are indexed from their first association: the index finds the
// next non-empty bucket for GetNextAssoc without scanning.
constexpr unsigned int kLargeTable = 1024;

// Whether a map in this state may have an index; readers look for none otherwise.
inline bool MayHaveIndex(int count, unsigned int tableSize) {
    return count > kIndexKeptAbove || tableSize > kLargeTable;
}

// Whether a lookup in a map of `count` associations goes through its index. A smaller map may
// have an index only for its walks (a large table), and its chains are short.
inline bool LooksUpThroughIndex(int count) {
    return count > kIndexKeptAbove;
}

// Whether a map that has an index keeps it.
inline bool KeepsIndex(int count, unsigned int tableSize) {
    return count > kIndexKeptAbove || (tableSize > kLargeTable && count > 0);
}

// Whether an insertion that left a map without an index builds one: on entering the indexed
// sizes, and again whenever the count reaches a power of two (after a build that failed for
// lack of memory, or an index that was dropped), so that building costs constant time per
// insertion on average.
inline bool BuildsIndex(int count, unsigned int tableSize) {
    bool const wanted = count > kIndexAbove || (tableSize > kLargeTable && count > 0);
    bool const entering = count == kIndexAbove + 1 || count == 1;
    return wanted && (entering || (count & (count - 1)) == 0);
}

class MapIndex {
public:
    // A slot number; kNone stands for no slot (the end of a chain, a key not found).
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // An index for the map at `map` whose bucket array is `table` (of `tableSize` buckets),
    // with room for `count` associations and none in it yet, or null when memory is short.
    static MapIndex* Create(void const* map, void const* table, unsigned int tableSize,
                            int count) noexcept;
    // Frees an index's storage and keeps its header for a later index (see OwnedBy); null is
    // ignored.
    static void Destroy(MapIndex* index) noexcept;

    MapIndex(MapIndex const&) = delete;
    MapIndex& operator=(MapIndex const&) = delete;

    // The map the index is attached to, recorded by Adopt from attachment until Destroy.
    // Headers are never freed, only reused, so a stale pointer to an index (a hint, below) can
    // always be asked whether it is still the index of a given map. Only that field may be read
    // through a stale pointer, hence the atomic.
    void Adopt(void const* map) { m_owner.store(map, std::memory_order_relaxed); }
    bool OwnedBy(void const* map) const { return m_owner.load(std::memory_order_relaxed) == map; }

    // Whether the index describes a map with this bucket array, size and count.
    bool Describes(void const* table, unsigned int tableSize, int count) const {
        return m_table == table && m_tableSize == tableSize && static_cast<int>(m_live) == count;
    }

    // The slot of the association whose tag is `tag` and for which matches(association) holds,
    // or kNone.
    template <class Matches>
    uint32_t Find(uint32_t tag, Matches matches) const {
        uint64_t const check = Check(tag);
        for (uint32_t at = Home(tag);; at = (at + 1) & m_mask) {
            uint64_t const slot = m_slots[at];
            if ((slot & kCheckBits) == check && matches(AddressOf(slot))) {
                return at;
            }
            if (slot == kNeverUsed) {
                return kNone;
            }
        }
    }

    // The same, returning the association itself, or null.
    template <class Matches>
    void* FindAssoc(uint32_t tag, Matches matches) const {
        uint64_t const check = Check(tag);
        for (uint32_t at = Home(tag);; at = (at + 1) & m_mask) {
            uint64_t const slot = m_slots[at];
            if ((slot & kCheckBits) == check && matches(AddressOf(slot))) {
                return AddressOf(slot);
            }
            if (slot == kNeverUsed) {
                return nullptr;
            }
        }
    }

    void* AssocAt(uint32_t slot) const { return AddressOf(m_slots[slot]); }

    // The association before the one in `slot` in its chain, or null when it heads its bucket.
    void* PredecessorOf(uint32_t slot) const {
        uint32_t const previous = m_links[slot].previous;
        return previous == kNone ? nullptr : AddressOf(m_slots[previous]);
    }

    // While building: records `assoc` as following the slot `previous` of `bucket`'s chain
    // (kNone: as the head) and returns its slot. Create made room for it. kNone when the
    // address does not fit a slot: the index cannot be used.
    uint32_t Append(void* assoc, uint32_t tag, unsigned int bucket, uint32_t previous);

    // Records `assoc`, just made the head of `bucket`. False when the slots had to grow and
    // memory was short, or the address does not fit a slot: the index no longer describes the
    // map and must be dropped.
    bool AddHead(void* assoc, uint32_t tag, unsigned int bucket);

    // Forgets the association in `slot`, just unlinked from `bucket`. Never fails (a shrink that
    // finds no memory keeps the larger slots).
    void Remove(uint32_t slot, unsigned int bucket);

    // The first non-empty bucket at or after `bucket`, or the table size when there is none.
    unsigned int NextOccupied(unsigned int bucket) const;

private:
    // A slot is one word: the association's address shifted up by 16 bits (user-space
    // addresses of x86-64 and AArch64 have 48 bits; an association that does not fit drops the
    // index), and in the low 16 bits a check made of the low bits of its tag with the lowest
    // set. The check is odd, so it never matches kNeverUsed (which ends a probe) or kRemoved
    // (which does not).
    static constexpr uint64_t kCheckBits = 0xFFFF;
    static constexpr uint64_t kNeverUsed = 0;
    static constexpr uint64_t kRemoved = 2;

    struct Links {
        uint32_t previous;  // neighbours in the chain, kNone at its ends
        uint32_t next;
    };

    MapIndex() = default;

    static uint64_t Check(uint32_t tag) { return (tag | 1) & kCheckBits; }
    static void* AddressOf(uint64_t slot) {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(slot >> 16));
    }
    static bool Fits(void* assoc) { return reinterpret_cast<uintptr_t>(assoc) >> 48 == 0; }
    bool Live(uint32_t at) const { return m_slots[at] > kRemoved; }

    // Tags are well mixed in their high bits (map_keys.h), which pick the home slot.
    uint32_t Home(uint32_t tag) const { return tag >> m_shift; }
    uint32_t FreeSlotFor(uint32_t tag) const;
    void Put(uint32_t at, void* assoc, uint32_t tag, uint32_t previous, uint32_t next);
    void UseSlots(void* memory, uint32_t capacity);
    bool Resize(uint32_t capacity);
    void MarkOccupied(unsigned int bucket);
    void MarkEmpty(unsigned int bucket);

    std::atomic<void const*> m_owner{nullptr};
    MapIndex* m_nextSpare = nullptr;  // while the header waits for reuse
    int m_pool = 0;                   // the pool of spare headers it belongs to
    void const* m_table = nullptr;
    unsigned int m_tableSize = 0;
    uint32_t m_live = 0;   // associations recorded
    uint32_t m_used = 0;   // slots not null: live and removed ones
    uint32_t m_mask = 0;   // capacity - 1, the capacity a power of two
    uint32_t m_shift = 0;  // 32 - log2(capacity)
    // Per slot, in one allocation: the slot word, the chain links, the full tag.
    uint64_t* m_slots = nullptr;
    Links* m_links = nullptr;
    uint32_t* m_tags = nullptr;
    // Per bucket, in one allocation: the slot of its head (or kNone), and the bit tree.
    uint32_t* m_heads = nullptr;
    // Bit tree of the non-empty buckets: level 0 has a bit per bucket, each higher level a bit
    // per non-zero word of the level below, up to a single word.
    uint64_t* m_bits = nullptr;
    int m_levels = 0;
    uint32_t m_levelStart[6] = {};  // first word of each level in m_bits
    uint32_t m_levelWords[6] = {};
};

// Each thread remembers the indexes it last found for a few maps: a hint is used while the index
// it names is still owned by the map (MapIndex::OwnedBy), which costs one load from the index's
// header instead of a search of the side table. Initial-exec TLS (32 bytes): a load relative to
// the thread pointer, no call; a program that loads the library with dlopen takes them from the
// static TLS reserve the C library keeps for that.
constexpr int kIndexHints = 4;
extern __thread MapIndex* mapIndexHints[kIndexHints] __attribute__((tls_model("initial-exec")));

// This thread's hint slot for `map`. Map objects are at least 16 bytes apart.
inline MapIndex*& IndexHintFor(void const* map) {
    return mapIndexHints[(reinterpret_cast<uintptr_t>(map) >> 4) & (kIndexHints - 1)];
}

// The index of `map` if this thread's hint names it, else null (which proves nothing).
inline MapIndex* HintedIndex(void const* map) {
    MapIndex* const hint = IndexHintFor(map);
    return hint != nullptr && hint->OwnedBy(map) ? hint : nullptr;
}

// The index attached to `map`, or null: the hint, else the side table (recorded as the hint).
MapIndex* FindIndex(void const* map) noexcept;

}  // namespace velqon_internal

#endif  // VELQON_COLLECTIONS_MAP_INDEX_H
