// The checked build's registries of open event records and of live thread objects (see
// EventRecord and IsThreadObject in threads_internal.h).
//
// Two sets of addresses under one mutex. The mutex is a leaf: it is held only inside the
// functions below, which take no other lock. Both sets are made together on the first use of
// either and never destroyed, so events may still be closed and threads deleted while the process
// exits. The thread set's buckets are reserved then, so that the first thread objects add no
// memory that outlives them.
#include <pthread.h>

#include <unordered_set>

#include "threads/threads_internal.h"

namespace {

pthread_mutex_t registryLock = PTHREAD_MUTEX_INITIALIZER;

struct Registries {
    std::unordered_set<void const*> openEvents;
    std::unordered_set<void const*> liveThreads;
};

Registries& TheRegistries() {
    static auto* const registries = [] {
        auto* made = new Registries;
        made->liveThreads.reserve(64);
        return made;
    }();
    return *registries;
}

std::unordered_set<void const*>& OpenEvents() {
    return TheRegistries().openEvents;
}

std::unordered_set<void const*>& LiveThreads() {
    return TheRegistries().liveThreads;
}

}  // namespace

void velqon_internal::NoteEventOpened(void* hEvent) {
    MutexLock lock(registryLock);
    OpenEvents().insert(hEvent);
}

void velqon_internal::NoteEventFreed(void* hEvent) {
    MutexLock lock(registryLock);
    OpenEvents().erase(hEvent);
}

bool velqon_internal::IsOpenEvent(void* hEvent) {
    MutexLock lock(registryLock);
    return OpenEvents().count(hEvent) != 0;
}

void velqon_internal::NoteThreadMade(void const* thread) {
    MutexLock lock(registryLock);
    LiveThreads().insert(thread);
}

void velqon_internal::NoteThreadGone(void const* thread) {
    MutexLock lock(registryLock);
    LiveThreads().erase(thread);
}

bool velqon_internal::IsThreadObject(void const* handle) {
    MutexLock lock(registryLock);
    return LiveThreads().count(handle) != 0;
}
