// Map address -> index, in shards of linear-probing tables read without locks.
//
// Writers hold the shard's mutex and make the shard's sequence counter odd while they change
// its table; a reader probes without the lock and keeps its answer only when the counter was
// even and unchanged around the probe (otherwise it tries again, and after a few tries takes
// the lock). Every entry field is an atomic, so a reader that races with a writer reads stale or
// mixed values, never torn ones, and throws them away. Writers store entries with release and
// readers load them with acquire, so a reader that saw a writer's entry also sees its odd
// counter when it checks the counter again. Tables are never freed, so whatever table a reader
// loaded stays readable.
#include "map_index_registry.h"

#include <stdint.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <new>

namespace velqon_internal {
namespace {

constexpr int kShardBits = 6;
constexpr uint32_t kFirstCapacity = 16;
constexpr int kOptimisticTries = 4;

struct Entry {
    std::atomic<void const*> map;  // null: free
    std::atomic<void*> index;
};

// `capacity` entries (a power of two) after the header. `replaced` keeps the table this one
// replaced reachable, so that leak checkers see every table as in use.
struct Table {
    uint32_t capacity;
    Table* replaced;
    Entry* Entries() { return reinterpret_cast<Entry*>(this + 1); }
};

struct alignas(64) Shard {
    std::mutex mutex;
    std::atomic<uint64_t> sequence{0};  // odd while a writer changes the table
    std::atomic<Table*> table{nullptr};
    uint32_t count = 0;  // entries in use; guarded by the mutex
};

Shard shards[1 << kShardBits];

// A well-mixed 64-bit value of a map address: the shard comes from its top bits, the home
// entry from bits below them.
uint64_t Mix(void const* map) {
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(map)) * 0x9E3779B97F4A7C15ull;
}

Shard& ShardOf(uint64_t mixed) {
    return shards[mixed >> (64 - kShardBits)];
}

uint32_t Home(uint64_t mixed, uint32_t capacity) {
    return static_cast<uint32_t>(mixed >> 24) & (capacity - 1);
}

// The index of `map` in `table`, as far as a possibly changing table tells.
void* Probe(Table* table, void const* map, uint64_t mixed) {
    if (table == nullptr) {
        return nullptr;
    }
    uint32_t const mask = table->capacity - 1;
    Entry* const entries = table->Entries();
    uint32_t at = Home(mixed, table->capacity);
    for (uint32_t probes = 0; probes <= mask; ++probes, at = (at + 1) & mask) {
        void const* const owner = entries[at].map.load(std::memory_order_acquire);
        if (owner == nullptr) {
            return nullptr;
        }
        if (owner == map) {
            return entries[at].index.load(std::memory_order_acquire);
        }
    }
    return nullptr;
}

void BeginChange(Shard& shard) {
    shard.sequence.store(shard.sequence.load(std::memory_order_relaxed) + 1,
                         std::memory_order_relaxed);
}

void EndChange(Shard& shard) {
    shard.sequence.store(shard.sequence.load(std::memory_order_relaxed) + 1,
                         std::memory_order_release);
}

void Put(Table* table, void const* map, void* index) {
    uint32_t const mask = table->capacity - 1;
    Entry* const entries = table->Entries();
    uint32_t at = Home(Mix(map), table->capacity);
    while (entries[at].map.load(std::memory_order_relaxed) != nullptr) {
        at = (at + 1) & mask;
    }
    entries[at].index.store(index, std::memory_order_release);
    entries[at].map.store(map, std::memory_order_release);
}

// A table of `capacity` free entries holding every entry of `old`, or null when memory is
// short.
Table* Grown(Table* old, uint32_t capacity) {
    void* const memory = calloc(1, sizeof(Table) + static_cast<size_t>(capacity) * sizeof(Entry));
    if (memory == nullptr) {
        return nullptr;
    }
    Table* const table = new (memory) Table{capacity, old};
    for (uint32_t i = 0; i < capacity; ++i) {
        new (&table->Entries()[i]) Entry{{nullptr}, {nullptr}};
    }
    if (old != nullptr) {
        for (uint32_t i = 0; i < old->capacity; ++i) {
            Entry const& entry = old->Entries()[i];
            void const* const map = entry.map.load(std::memory_order_relaxed);
            if (map != nullptr) {
                Put(table, map, entry.index.load(std::memory_order_relaxed));
            }
        }
    }
    return table;
}

}  // namespace

void* FindMapIndex(void const* map) noexcept {
    uint64_t const mixed = Mix(map);
    Shard& shard = ShardOf(mixed);
    for (int tries = 0; tries < kOptimisticTries; ++tries) {
        uint64_t const before = shard.sequence.load(std::memory_order_acquire);
        if ((before & 1) == 0) {
            void* const found = Probe(shard.table.load(std::memory_order_acquire), map, mixed);
            if (shard.sequence.load(std::memory_order_relaxed) == before) {
                return found;
            }
        }
    }
    std::lock_guard<std::mutex> const lock(shard.mutex);
    return Probe(shard.table.load(std::memory_order_relaxed), map, mixed);
}

bool AttachMapIndex(void const* map, void* index) noexcept {
    Shard& shard = ShardOf(Mix(map));
    std::lock_guard<std::mutex> const lock(shard.mutex);
    Table* table = shard.table.load(std::memory_order_relaxed);
    // At most half full, so that probes stay short.
    if (table == nullptr || (shard.count + 1) * 2 > table->capacity) {
        Table* const grown = Grown(table, table == nullptr ? kFirstCapacity : table->capacity * 2);
        if (grown == nullptr) {
            return false;
        }
        BeginChange(shard);
        shard.table.store(grown, std::memory_order_release);
        EndChange(shard);
        table = grown;
    }
    BeginChange(shard);
    Put(table, map, index);
    EndChange(shard);
    ++shard.count;
    return true;
}

void* DetachMapIndex(void const* map) noexcept {
    // Only the caller changes this map's entry, so a lock-free miss is exact.
    if (FindMapIndex(map) == nullptr) {
        return nullptr;
    }
    uint64_t const mixed = Mix(map);
    Shard& shard = ShardOf(mixed);
    std::lock_guard<std::mutex> const lock(shard.mutex);
    Table* const table = shard.table.load(std::memory_order_relaxed);
    uint32_t const mask = table->capacity - 1;
    Entry* const entries = table->Entries();
    uint32_t hole = Home(mixed, table->capacity);
    while (entries[hole].map.load(std::memory_order_relaxed) != map) {
        hole = (hole + 1) & mask;
    }
    void* const index = entries[hole].index.load(std::memory_order_relaxed);
    BeginChange(shard);
    // Backward-shift deletion: move later entries of the probe run into the hole when their
    // home is not between the hole and where they stand, so no run gets broken.
    for (uint32_t at = (hole + 1) & mask;; at = (at + 1) & mask) {
        void const* const owner = entries[at].map.load(std::memory_order_relaxed);
        if (owner == nullptr) {
            break;
        }
        uint32_t const home = Home(Mix(owner), table->capacity);
        if (((at - home) & mask) >= ((at - hole) & mask)) {
            entries[hole].map.store(owner, std::memory_order_release);
            entries[hole].index.store(entries[at].index.load(std::memory_order_relaxed),
                                      std::memory_order_release);
            hole = at;
        }
    }
    entries[hole].map.store(nullptr, std::memory_order_release);
    entries[hole].index.store(nullptr, std::memory_order_release);
    EndChange(shard);
    --shard.count;
    return index;
}

}  // namespace velqon_internal
