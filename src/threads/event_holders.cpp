// Shared ownership of an event record between a thread object and the thread it started.
//
// The started thread holds the completion event record from BeginThread until its function has
// returned (or it was cancelled), so neither side depends on the other's lifetime; the thread
// object's owner can learn that the thread let go by waiting for its own hold to be the last.
#include "threads/threads_internal.h"

void velqon_internal::RetainPortableEvent(void* hEvent) {
    CPortableEventData* event = EventRecord(hEvent, "CPortableThread::BeginThread");
    pthread_mutex_lock(&event->postLock);
    ++event->holders;
    pthread_mutex_unlock(&event->postLock);
}

bool velqon_internal::WaitForSoleHolder(void* hEvent, timespec const* deadline) {
    CPortableEventData* event = EventRecord(hEvent, "WaitForPortableThread");
    velqon_internal::MutexLock lock(event->postLock);
    bool timedOut = false;
    while (event->holders > 1 && !timedOut) {
        if (deadline == nullptr) {
            pthread_cond_wait(&event->holdersCond, &event->postLock);
        } else {
            timedOut = pthread_cond_timedwait(&event->holdersCond, &event->postLock, deadline) != 0;
        }
    }
    return event->holders == 1;
}
