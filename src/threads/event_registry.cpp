// The checked build's registries of open event records and of live thread objects (see
// EventRecord and IsThreadObject in threads_internal.h).
//
// Two sets of addresses under one mutex. The mutex is a leaf: it is held only inside the
// functions below, which take no other lock. The sets are made on first use and never
// destroyed, so events may still be closed and threads deleted while the process exits.
#include <pthread.h>

#include <unordered_set>

#include "threads/threads_internal.h"

namespace {

pthread_mutex_t registryLock = PTHREAD_MUTEX_INITIALIZER;

std::unordered_set<void const*>& OpenEvents() {
    static auto* const events = new std::unordered_set<void const*>;
    return *events;
}

std::unordered_set<void const*>& LiveThreads() {
    static auto* const threads = new std::unordered_set<void const*>;
    return *threads;
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
