// The map index: slots in an open-addressing table with linear probing, removed slots marked
// until the next resize, and per-bucket chain heads and occupancy bits; the pools of spare
// headers and the per-thread hints.
#include "map_index.h"

#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <new>

#include "map_index_registry.h"

namespace velqon_internal {
namespace {

constexpr uint32_t kLeastCapacity = 64;
// A slot word, its links and its tag.
constexpr size_t kSlotBytes = 8 + 8 + 4;

constexpr uint32_t kMostCapacity = uint32_t{1} << 31;

// The capacity that holds `count` associations at most half full; 0 when that is too many.
uint32_t CapacityFor(uint32_t count) {
    if (count > kMostCapacity / 2) {
        return 0;
    }
    uint32_t capacity = kLeastCapacity;
    while (capacity / 2 < count) {
        capacity *= 2;
    }
    return capacity;
}

uint32_t Log2(uint32_t powerOfTwo) {
    return static_cast<uint32_t>(__builtin_ctz(powerOfTwo));
}

size_t RoundUp(size_t bytes) {
    return (bytes + 7) & ~size_t{7};
}

}  // namespace

__thread MapIndex* mapIndexHints[kIndexHints] __attribute__((tls_model("initial-exec")));

namespace {

// Spare index headers, in a few pools so that maps on different threads rarely meet on one
// lock. Headers come from calloc and are never freed.
struct alignas(64) SparePool {
    std::mutex mutex;
    MapIndex* first = nullptr;
};

constexpr int kPools = 16;
SparePool pools[kPools];

int PoolFor(void const* map) {
    return static_cast<int>((reinterpret_cast<uintptr_t>(map) >> 4) % kPools);
}

}  // namespace

MapIndex* FindIndex(void const* map) noexcept {
    if (MapIndex* const hinted = HintedIndex(map)) {
        return hinted;
    }
    MapIndex* const found = static_cast<MapIndex*>(FindMapIndex(map));
    if (found != nullptr) {
        IndexHintFor(map) = found;
    }
    return found;
}

MapIndex* MapIndex::Create(void const* map, void const* table, unsigned int tableSize,
                           int count) noexcept {
    uint32_t const capacity = CapacityFor(static_cast<uint32_t>(count));
    if (capacity == 0) {
        return nullptr;
    }
    // The bit tree: level 0 needs a word per 64 buckets, each level above a word per 64 words.
    int levels = 0;
    uint32_t levelWords[6] = {};
    uint64_t words = 0;
    uint64_t width = tableSize;
    do {
        width = (width + 63) / 64;
        levelWords[levels++] = static_cast<uint32_t>(width);
        words += width;
    } while (width > 1);
    size_t const headBytes = RoundUp(sizeof(uint32_t) * static_cast<size_t>(tableSize));
    size_t const bitBytes = static_cast<size_t>(words) * sizeof(uint64_t);
    void* const buckets = ::operator new(headBytes + bitBytes, std::nothrow);
    void* const slots = ::operator new(capacity* kSlotBytes, std::nothrow);
    if (buckets == nullptr || slots == nullptr) {
        ::operator delete(buckets);
        ::operator delete(slots);
        return nullptr;
    }
    int const pool = PoolFor(map);
    MapIndex* index;
    {
        std::lock_guard<std::mutex> const lock(pools[pool].mutex);
        index = pools[pool].first;
        if (index != nullptr) {
            pools[pool].first = index->m_nextSpare;
        }
    }
    if (index == nullptr) {
        void* const memory = calloc(1, sizeof(MapIndex));
        if (memory == nullptr) {
            ::operator delete(buckets);
            ::operator delete(slots);
            return nullptr;
        }
        index = new (memory) MapIndex();
    }
    index->m_nextSpare = nullptr;
    index->m_pool = pool;
    index->m_table = table;
    index->m_tableSize = tableSize;
    index->m_live = 0;
    index->m_used = 0;
    index->UseSlots(slots, capacity);
    index->m_heads = static_cast<uint32_t*>(buckets);
    memset(index->m_heads, 0xFF, sizeof(uint32_t) * static_cast<size_t>(tableSize));
    index->m_bits = reinterpret_cast<uint64_t*>(static_cast<char*>(buckets) + headBytes);
    memset(index->m_bits, 0, bitBytes);
    index->m_levels = levels;
    uint32_t start = 0;
    for (int level = 0; level < levels; ++level) {
        index->m_levelStart[level] = start;
        index->m_levelWords[level] = levelWords[level];
        start += levelWords[level];
    }
    return index;
}

void MapIndex::Destroy(MapIndex* index) noexcept {
    if (index == nullptr) {
        return;
    }
    index->m_owner.store(nullptr, std::memory_order_relaxed);
    ::operator delete(index->m_slots);
    ::operator delete(index->m_heads);
    index->m_slots = nullptr;
    index->m_heads = nullptr;
    SparePool& pool = pools[index->m_pool];
    std::lock_guard<std::mutex> const lock(pool.mutex);
    index->m_nextSpare = pool.first;
    pool.first = index;
}

uint32_t MapIndex::FreeSlotFor(uint32_t tag) const {
    uint32_t at = Home(tag);
    while (Live(at)) {
        at = (at + 1) & m_mask;
    }
    return at;
}

void MapIndex::Put(uint32_t at, void* assoc, uint32_t tag, uint32_t previous, uint32_t next) {
    m_slots[at] = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(assoc)) << 16 | Check(tag);
    m_links[at] = Links{previous, next};
    m_tags[at] = tag;
}

// Takes `memory` (room for `capacity` slots) as the slots, all never used.
void MapIndex::UseSlots(void* memory, uint32_t capacity) {
    m_slots = static_cast<uint64_t*>(memory);
    m_links = reinterpret_cast<Links*>(m_slots + capacity);
    m_tags = reinterpret_cast<uint32_t*>(m_links + capacity);
    memset(m_slots, 0, sizeof(uint64_t) * capacity);
    m_mask = capacity - 1;
    m_shift = 32 - Log2(capacity);
}

uint32_t MapIndex::Append(void* assoc, uint32_t tag, unsigned int bucket, uint32_t previous) {
    if (!Fits(assoc)) {
        return kNone;
    }
    uint32_t const at = FreeSlotFor(tag);
    Put(at, assoc, tag, previous, kNone);
    if (previous == kNone) {
        m_heads[bucket] = at;
        MarkOccupied(bucket);
    } else {
        m_links[previous].next = at;
    }
    ++m_live;
    ++m_used;
    return at;
}

bool MapIndex::AddHead(void* assoc, uint32_t tag, unsigned int bucket) {
    if (!Fits(assoc)) {
        return false;
    }
    // At most three quarters of the slots in use (removed ones included), so probes end soon.
    if ((uint64_t{m_used} + 1) * 4 > (uint64_t{m_mask} + 1) * 3 &&
        !Resize(CapacityFor(m_live + 1))) {
        return false;
    }
    uint32_t const at = FreeSlotFor(tag);
    uint32_t const head = m_heads[bucket];
    m_used += m_slots[at] == kNeverUsed ? 1 : 0;
    ++m_live;
    Put(at, assoc, tag, kNone, head);
    if (head == kNone) {
        MarkOccupied(bucket);
    } else {
        m_links[head].previous = at;
    }
    m_heads[bucket] = at;
    return true;
}

void MapIndex::Remove(uint32_t slot, unsigned int bucket) {
    Links const links = m_links[slot];
    if (links.previous == kNone) {
        m_heads[bucket] = links.next;
        if (links.next == kNone) {
            MarkEmpty(bucket);
        }
    } else {
        m_links[links.previous].next = links.next;
    }
    if (links.next != kNone) {
        m_links[links.next].previous = links.previous;
    }
    m_slots[slot] = kRemoved;
    --m_live;
    // Shrink when at most an eighth is in use; if that finds no memory, the larger slots do.
    if (m_mask + 1 > kLeastCapacity && uint64_t{m_live} * 8 < uint64_t{m_mask} + 1) {
        Resize(CapacityFor(m_live));
    }
}

// Moves the live slots into a table of `capacity` slots and renumbers every reference to them
// (neighbours, chain heads). Each old slot's tag records its new number meanwhile.
bool MapIndex::Resize(uint32_t capacity) {
    if (capacity == 0) {
        return false;
    }
    void* const fresh = ::operator new(capacity* kSlotBytes, std::nothrow);
    if (fresh == nullptr) {
        return false;
    }
    uint64_t* const oldSlots = m_slots;
    Links* const oldLinks = m_links;
    uint32_t* const oldTags = m_tags;
    uint32_t const oldCapacity = m_mask + 1;
    UseSlots(fresh, capacity);
    for (uint32_t i = 0; i < oldCapacity; ++i) {
        if (oldSlots[i] > kRemoved) {
            uint32_t const at = FreeSlotFor(oldTags[i]);
            m_slots[at] = oldSlots[i];
            m_links[at] = oldLinks[i];
            m_tags[at] = oldTags[i];
            oldTags[i] = at;
        }
    }
    for (uint32_t at = 0; at < capacity; ++at) {
        if (Live(at)) {
            Links& links = m_links[at];
            if (links.previous != kNone) {
                links.previous = oldTags[links.previous];
            }
            if (links.next != kNone) {
                links.next = oldTags[links.next];
            }
        }
    }
    for (unsigned int bucket = NextOccupied(0); bucket < m_tableSize;
         bucket = NextOccupied(bucket + 1)) {
        m_heads[bucket] = oldTags[m_heads[bucket]];
    }
    m_used = m_live;
    ::operator delete(oldSlots);
    return true;
}

void MapIndex::MarkOccupied(unsigned int bucket) {
    uint64_t position = bucket;
    for (int level = 0; level < m_levels; ++level) {
        uint64_t& word = m_bits[m_levelStart[level] + (position >> 6)];
        bool const wasEmpty = word == 0;
        word |= uint64_t{1} << (position & 63);
        if (!wasEmpty) {
            return;
        }
        position >>= 6;
    }
}

void MapIndex::MarkEmpty(unsigned int bucket) {
    uint64_t position = bucket;
    for (int level = 0; level < m_levels; ++level) {
        uint64_t& word = m_bits[m_levelStart[level] + (position >> 6)];
        word &= ~(uint64_t{1} << (position & 63));
        if (word != 0) {
            return;
        }
        position >>= 6;
    }
}

unsigned int MapIndex::NextOccupied(unsigned int bucket) const {
    // Climb until a word holds a set bit at or after the position, then descend to the lowest
    // set bit of each word below it.
    uint64_t position = bucket;
    int level = 0;
    for (;; ++level) {
        if (level == m_levels) {
            return m_tableSize;
        }
        uint64_t const word = position >> 6;
        if (word >= m_levelWords[level]) {
            return m_tableSize;
        }
        uint64_t const bits =
            m_bits[m_levelStart[level] + word] & (~uint64_t{0} << (position & 63));
        if (bits != 0) {
            position = (word << 6) | static_cast<uint64_t>(__builtin_ctzll(bits));
            break;
        }
        position = word + 1;
    }
    for (; level > 0; --level) {
        position =
            (position << 6) |
            static_cast<uint64_t>(__builtin_ctzll(m_bits[m_levelStart[level - 1] + position]));
    }
    return static_cast<unsigned int>(position);
}

}  // namespace velqon_internal
