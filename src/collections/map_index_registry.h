// The side table that attaches an index (map_index.h) to a map object without a field of its
// own: map address -> index, kept beside the map in a process-wide table.
//
// Thread safety. The table is split into shards by map address, each with its own mutex, so
// maps changed on different threads rarely meet on one lock, and the mutex is only taken when
// a map gains or loses its index. FindMapIndex writes nothing and takes no lock unless writers
// keep changing the shard under it: it may run on any number of threads at once, and at the
// same time as maps of the same shard gain or lose their indexes. Its answer for one map is
// exact as long as nobody changes that map meanwhile, which is the rule a map's callers follow
// anyway (one writer, or readers only). The entry of a map changes only through AttachMapIndex
// and DetachMapIndex called by an operation that changes that map. After fork() in a multithreaded
// process the child must not change maps of a shard whose mutex another thread held at the time,
// like any other lock of the parent.
//
// Memory. The shard tables come from calloc, grow by doubling and are never given back: a
// lock-free reader may still be probing a table that has just been replaced. They stay as large
// as the most maps that held an index at once in that shard needed: 16-byte entries, a grown
// table at least a quarter in use, so with the replaced tables at most 128 bytes per map.
#ifndef VELQON_COLLECTIONS_MAP_INDEX_REGISTRY_H
#define VELQON_COLLECTIONS_MAP_INDEX_REGISTRY_H

namespace velqon_internal {

// The index attached to `map`, or null.
void* FindMapIndex(void const* map) noexcept;

// Attaches `index` to `map`, which has none. False when the table could not grow; nothing is
// attached then.
bool AttachMapIndex(void const* map, void* index) noexcept;

// Detaches the index of `map` and returns it, or null when it had none. Takes no lock when
// there is none.
void* DetachMapIndex(void const* map) noexcept;

}  // namespace velqon_internal

#endif  // VELQON_COLLECTIONS_MAP_INDEX_REGISTRY_H
