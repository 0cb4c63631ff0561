// The checked build's registry of open event records (see EventRecord in threads_internal.h).
//
// One set of record addresses under one mutex. The mutex is a leaf: it is held only inside the
// three functions below, which take no other lock. The set is made on first use and never
// destroyed, so events may still be closed while the process exits.
#include <pthread.h>

#include <unordered_set>

#include "threads/threads_internal.h"

namespace {

pthread_mutex_t registryLock = PTHREAD_MUTEX_INITIALIZER;

std::unordered_set<void const*>& OpenEvents() {
    static auto* const events = new std::unordered_set<void const*>;
    return *events;
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
