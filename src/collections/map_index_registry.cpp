// The writers of the side table of map indexes (the lock-free reader is inline in the header):
// attaching and detaching under the shard's mutex, with the sequence counter odd meanwhile.
#include "map_index_registry.h"

#include <stdint.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <new>

namespace velqon_internal {

MapIndexShard mapIndexShards[1 << kMapIndexShardBits];
__thread MapIndexHint mapIndexHints[kMapIndexHints] __attribute__((tls_model("initial-exec")));

namespace {

constexpr uint32_t kFirstCapacity = 16;
constexpr int kOptimisticTries = 4;

using Entry = MapIndexEntry;
using Table = MapIndexTable;
using Shard = MapIndexShard;

// Writers hold the shard's mutex; readers that see an odd or changed sequence start over. The
// entries stored in between are release stores (see the header).
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
    uint32_t at = MapIndexHome(MixMapAddress(map), table->capacity);
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

void* FindMapIndexSlowly(void const* map, MapIndexHint& hint) noexcept {
    uint64_t const mixed = MixMapAddress(map);
    Shard& shard = MapIndexShardOf(mixed);
    for (int tries = 0; tries < kOptimisticTries; ++tries) {
        uint64_t const before = shard.sequence.load(std::memory_order_acquire);
        if ((before & 1) == 0) {
            void* const found =
                ProbeMapIndexTable(shard.table.load(std::memory_order_acquire), map, mixed);
            if (shard.sequence.load(std::memory_order_relaxed) == before) {
                hint = MapIndexHint{map, &shard.sequence, before, found};
                return found;
            }
        }
    }
    std::lock_guard<std::mutex> const lock(shard.mutex);
    void* const found = ProbeMapIndexTable(shard.table.load(std::memory_order_relaxed), map, mixed);
    hint =
        MapIndexHint{map, &shard.sequence, shard.sequence.load(std::memory_order_relaxed), found};
    return found;
}

bool AttachMapIndex(void const* map, void* index) noexcept {
    Shard& shard = MapIndexShardOf(MixMapAddress(map));
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
    uint64_t const mixed = MixMapAddress(map);
    Shard& shard = MapIndexShardOf(mixed);
    std::lock_guard<std::mutex> const lock(shard.mutex);
    Table* const table = shard.table.load(std::memory_order_relaxed);
    uint32_t const mask = table->capacity - 1;
    Entry* const entries = table->Entries();
    uint32_t hole = MapIndexHome(mixed, table->capacity);
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
        uint32_t const home = MapIndexHome(MixMapAddress(owner), table->capacity);
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
