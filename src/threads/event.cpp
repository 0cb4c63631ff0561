// Event records and the Win32-named free functions over them.
#include <stdio.h>

#include <memory>

#include "threads/threads_internal.h"

using velqon_internal::EventRecord;
using velqon_internal::kInfinite;
using velqon_internal::kInvalidEvent;
using velqon_internal::kWaitTimeout;
using velqon_internal::RefusedAsThread;

namespace {

// Stores a post target; a null `marks` registers the plain index-slot target.
void RegisterPostTarget(CPortableEventData* event, pthread_cond_t* cond, pthread_mutex_t* mutex,
                        unsigned int index, unsigned int* indexOut, unsigned long long* marks,
                        bool* alreadySet) {
    pthread_mutex_lock(&event->postLock);
    // Every change of `set` happens under `postLock` too, so reading it here without `mutex` is
    // exact: a set either came before (reported here) or comes after (notifies this target).
    bool const wasSet = event->set == 1;
    event->postCond = cond;
    event->postMutex = mutex;
    event->postIndex = index;
    event->postIndexOut = indexOut;
    event->postMarks = marks;
    event->postActive = true;
    *alreadySet = wasSet;
    pthread_mutex_unlock(&event->postLock);
}

}  // namespace

void velqon_internal::AddPostTargetWithMarks(void* hEvent, pthread_cond_t* cond,
                                             pthread_mutex_t* mutex, unsigned int index,
                                             unsigned int* indexOut, unsigned long long* marks,
                                             bool* alreadySet) {
    RegisterPostTarget(EventRecord(hEvent, "WaitForMultipleObjects"), cond, mutex, index, indexOut,
                       marks, alreadySet);
}

void* CreatePortableEvent(void*, int manualReset, int initialState, char const*) {
    std::unique_ptr<CPortableEventData> record(new CPortableEventData);
    velqon_internal::NoteEventOpened(record.get());  // may throw std::bad_alloc when checked
    CPortableEventData* event = record.release();
    velqon_internal::InitMonotonicCond(&event->cond);
    pthread_mutex_init(&event->mutex, nullptr);
    event->set = initialState != 0 ? 1 : 0;
    event->manualReset = manualReset != 0;
    event->postCond = nullptr;
    event->postMutex = nullptr;
    event->postIndex = 0;
    event->postIndexOut = nullptr;
    event->postActive = false;
    pthread_mutex_init(&event->postLock, nullptr);
    event->postMarks = nullptr;
    event->holders = 1;
    velqon_internal::InitMonotonicCond(&event->holdersCond);
    return event;
}

void* GetCreatePortableEvent(void* security, int manualReset, int initialState, char const* name) {
    return CreatePortableEvent(security, manualReset, initialState, name);
}

int SetPortableEvent(void* hEvent) {
    if (hEvent == kInvalidEvent) {
        return 1;
    }
    CPortableEventData* event = EventRecord(hEvent, "SetPortableEvent");
    if (RefusedAsThread(hEvent)) {
        return 1;  // as for the invalid handle: nothing done, and Set always reports 1
    }
    // The whole set happens under `postLock`, so a registration sees it either as the signalled
    // state or as a notification, never both, and a reset cannot come between the two halves.
    velqon_internal::MutexLock post(event->postLock);
    pthread_mutex_lock(&event->mutex);
    if (event->manualReset) {
        pthread_cond_broadcast(&event->cond);
        __atomic_store_n(&event->set, 1, __ATOMIC_RELAXED);
    } else {
        // A pulse: wakes at most one waiter and leaves `set` alone.
        pthread_cond_signal(&event->cond);
    }
    pthread_mutex_unlock(&event->mutex);

    if (event->postActive) {
        pthread_mutex_lock(event->postMutex);
        *event->postIndexOut = event->postIndex;
        if (event->postMarks != nullptr && event->postIndex < 64) {
            *event->postMarks |= 1ull << event->postIndex;
        }
        pthread_cond_signal(event->postCond);
        pthread_mutex_unlock(event->postMutex);
    }
    return 1;
}

int ResetPortableEvent(void* hEvent) {
    CPortableEventData* event = EventRecord(hEvent, "ResetPortableEvent");
    if (RefusedAsThread(hEvent)) {
        return 1;  // nothing done; Reset always reports 1
    }
    pthread_mutex_lock(&event->postLock);
    pthread_mutex_lock(&event->mutex);
    __atomic_store_n(&event->set, 0, __ATOMIC_RELAXED);
    pthread_mutex_unlock(&event->mutex);
    pthread_mutex_unlock(&event->postLock);
    return 1;
}

int GetResetPortableEvent(void* hEvent) {
    return ResetPortableEvent(hEvent);
}

int ResetEvent(void* hEvent) {
    return ResetPortableEvent(hEvent);
}

unsigned int WaitForPortableEvent(void* hEvent, unsigned int dwMilliseconds) {
    CPortableEventData* event = EventRecord(hEvent, "WaitForPortableEvent");
    if (RefusedAsThread(hEvent)) {
        return kWaitTimeout;  // a wait reports every error as 258, never a failure code
    }
    velqon_internal::MutexLock lock(event->mutex);
    if (event->set != 0) {
        return 0;
    }
    int rc;
    if (dwMilliseconds == kInfinite) {
        rc = pthread_cond_wait(&event->cond, &event->mutex);
    } else {
        timespec const deadline = velqon_internal::MonotonicDeadline(dwMilliseconds);
        rc = pthread_cond_timedwait(&event->cond, &event->mutex, &deadline);
    }
    return rc != 0 ? kWaitTimeout : 0;
}

unsigned int GetWaitForPortableEvent(void* hEvent, unsigned int dwMilliseconds) {
    return WaitForPortableEvent(hEvent, dwMilliseconds);
}

void ClosePortableEvent(void* hEvent) {
    CPortableEventData* event = EventRecord(hEvent, "ClosePortableEvent");
    if (RefusedAsThread(hEvent)) {
        return;
    }
    pthread_mutex_lock(&event->postLock);
    int const remaining = --event->holders;
    if (remaining != 0) {
        pthread_cond_broadcast(&event->holdersCond);
    }
    pthread_mutex_unlock(&event->postLock);
    if (remaining != 0) {
        return;
    }
    velqon_internal::NoteEventFreed(event);
    pthread_cond_destroy(&event->holdersCond);
    pthread_cond_destroy(&event->cond);
    pthread_mutex_destroy(&event->mutex);
    pthread_mutex_destroy(&event->postLock);
    delete event;
}

void AddPostTargetAndIndex(void* hEvent, pthread_cond_t* cond, pthread_mutex_t* mutex,
                           unsigned int index, unsigned int* indexOut, bool* alreadySet) {
    RegisterPostTarget(EventRecord(hEvent, "AddPostTargetAndIndex"), cond, mutex, index, indexOut,
                       nullptr, alreadySet);
}

void RemovePostTarget(void* hEvent, pthread_cond_t*, pthread_mutex_t*) {
    CPortableEventData* event = EventRecord(hEvent, "RemovePostTarget");
    pthread_mutex_lock(&event->postLock);
    event->postActive = false;
    event->postCond = nullptr;
    event->postMutex = nullptr;
    event->postIndex = 0;
    event->postIndexOut = nullptr;
    event->postMarks = nullptr;
    pthread_mutex_unlock(&event->postLock);
}

void DumpEvent(void* hEvent) {
    printf("event 0x%lx set = %d\n", reinterpret_cast<unsigned long>(hEvent),
           __atomic_load_n(&EventRecord(hEvent, "DumpEvent")->set, __ATOMIC_RELAXED));
}
