// The side table that attaches an index (map_index.h) to a map object without a field of its
// own: map address -> index, kept beside the map in a process-wide table.
//
// Thread safety. The table is split into shards by map address, each with its own mutex, so
// maps changed on different threads rarely meet on one lock, and the mutex is only taken when
// a map gains or loses its index. FindMapIndex writes nothing shared (only the calling thread's
// hints) and takes no lock unless writers keep changing the shard under it: it may run on any
// number of threads at once, and at the same time as maps of the same shard gain or lose their
// indexes. Its answer for one map is exact as long as nobody changes that map meanwhile, which
// is the rule a map's callers follow anyway (one writer, or readers only). The entry of a map
// changes only through AttachMapIndex and DetachMapIndex called by an operation that changes
// that map. After fork() in a multithreaded process the child must not change maps of a shard
// whose mutex another thread held at the time, like any other lock of the parent.
//
// Memory. The shard tables come from calloc, grow by doubling and are never given back: a
// lock-free reader may still be probing a table that has just been replaced. They stay as large
// as the most maps that held an index at once in that shard needed: 16-byte entries, a grown
// table at least a quarter in use, so with the replaced tables at most 128 bytes per map.
#ifndef VELQON_COLLECTIONS_MAP_INDEX_REGISTRY_H
#define VELQON_COLLECTIONS_MAP_INDEX_REGISTRY_H

#include <stdint.h>

#include <atomic>
#include <mutex>

namespace velqon_internal {

// The table is read on every operation of an indexed map, so the lock-free read is inline.
// Each shard is a linear-probing table: writers hold the mutex and make the sequence counter
// odd while they change the table; a reader probes without the lock and keeps its answer only
// when the counter was even and unchanged around the probe (otherwise it tries again, and after
// a few tries takes the lock). Every entry field is an atomic, so a reader that races with a
// writer reads stale or mixed values, never torn ones, and throws them away. Writers store
// entries with release and readers load them with acquire, so a reader that saw a writer's
// entry also sees its odd counter when it checks the counter again. Tables are never freed, so
// whatever table a reader loaded stays readable.
struct MapIndexEntry {
    std::atomic<void const*> map;  // null: free
    std::atomic<void*> index;
};

// `capacity` entries (a power of two) after the header. `replaced` keeps the table this one
// replaced reachable, so that leak checkers see every table as in use.
struct MapIndexTable {
    uint32_t capacity;
    MapIndexTable* replaced;
    MapIndexEntry* Entries() { return reinterpret_cast<MapIndexEntry*>(this + 1); }
};

struct alignas(64) MapIndexShard {
    std::mutex mutex;
    std::atomic<uint64_t> sequence{0};  // odd while a writer changes the table
    std::atomic<MapIndexTable*> table{nullptr};
    uint32_t count = 0;  // entries in use; guarded by the mutex
};

constexpr int kMapIndexShardBits = 6;
extern MapIndexShard mapIndexShards[1 << kMapIndexShardBits];

// A well-mixed 64-bit value of a map address: the shard comes from its top bits, the home
// entry from bits below them.
inline uint64_t MixMapAddress(void const* map) {
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(map)) * 0x9E3779B97F4A7C15ull;
}

inline MapIndexShard& MapIndexShardOf(uint64_t mixed) {
    return mapIndexShards[mixed >> (64 - kMapIndexShardBits)];
}

inline uint32_t MapIndexHome(uint64_t mixed, uint32_t capacity) {
    return static_cast<uint32_t>(mixed >> 24) & (capacity - 1);
}

// The index of `map` in `table`, as far as a possibly changing table tells.
inline void* ProbeMapIndexTable(MapIndexTable* table, void const* map, uint64_t mixed) {
    if (table == nullptr) {
        return nullptr;
    }
    uint32_t const mask = table->capacity - 1;
    MapIndexEntry* const entries = table->Entries();
    uint32_t at = MapIndexHome(mixed, table->capacity);
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

// The last answers FindMapIndex gave on this thread, each with the sequence of its shard at the
// time. While the sequence is unchanged nothing in the shard has changed, so the answer stands;
// a 64-bit sequence never comes round to an old value. (A map's own entry changes only through
// operations on that map, which callers never run while they read it, and when such an
// operation happened before a read, the read sees the new sequence.) Initial-exec TLS (128
// bytes): a plain load relative to the thread pointer, no call; a program that loads the
// library with dlopen takes them from the static TLS reserve the C library keeps for that.
struct MapIndexHint {
    void const* map;
    std::atomic<uint64_t> const* sequence;  // of the map's shard
    uint64_t seen;                          // its value when `index` was found
    void* index;
};
constexpr int kMapIndexHints = 4;
extern __thread MapIndexHint mapIndexHints[kMapIndexHints]
    __attribute__((tls_model("initial-exec")));

// FindMapIndex without a usable hint: probes the shard's table (without the lock while no
// writer interferes) and records the answer in `hint`.
void* FindMapIndexSlowly(void const* map, MapIndexHint& hint) noexcept;

// This thread's hint for `map`. Map objects are at least 8 bytes apart; bits above that pick it.
inline MapIndexHint& MapIndexHintFor(void const* map) {
    return mapIndexHints[(reinterpret_cast<uintptr_t>(map) >> 4) & (kMapIndexHints - 1)];
}

// The index attached to `map` as this thread's hint knows it, or null when the hint does not
// know (then FindMapIndex answers).
inline void* HintedMapIndex(void const* map) noexcept {
    MapIndexHint const& hint = MapIndexHintFor(map);
    bool const known =
        hint.map == map && hint.seen == hint.sequence->load(std::memory_order_acquire);
    return known ? hint.index : nullptr;
}

// The index attached to `map`, or null.
inline void* FindMapIndex(void const* map) noexcept {
    MapIndexHint& hint = MapIndexHintFor(map);
    if (hint.map == map && hint.seen == hint.sequence->load(std::memory_order_acquire)) {
        return hint.index;
    }
    return FindMapIndexSlowly(map, hint);
}

// Attaches `index` to `map`, which has none. False when the table could not grow; nothing is
// attached then.
bool AttachMapIndex(void const* map, void* index) noexcept;

// Detaches the index of `map` and returns it, or null when it had none. Takes no lock when
// there is none.
void* DetachMapIndex(void const* map) noexcept;

}  // namespace velqon_internal

#endif  // VELQON_COLLECTIONS_MAP_INDEX_REGISTRY_H
