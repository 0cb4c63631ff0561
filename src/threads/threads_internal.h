// Helpers shared by the event, multi-object wait and thread sources; not exported.
#ifndef VELQON_THREADS_INTERNAL_H
#define VELQON_THREADS_INTERNAL_H

#include <pthread.h>
#include <time.h>

#include "VelqonThread.h"
#include "checked.h"

namespace velqon_internal {

// Timeout meaning "no limit", and the result of a wait that ended at its deadline.
constexpr unsigned int kInfinite = 0xFFFFFFFFu;
constexpr unsigned int kWaitTimeout = 258;

// The invalid event handle: the pointer value with every bit set.
inline void* const kInvalidEvent = reinterpret_cast<void*>(~static_cast<unsigned long>(0));

// Whether `handle` designates a CPortableThread object (as _beginthreadex returns) rather than an
// event record. The checked build looks the handle up in a registry of the live thread objects
// and reads no memory; the default build compares the first word of the object the handle
// designates with the virtual-table pointer that begins every CPortableThread, a value the first
// field of an event record (its condition variable) never holds. Objects of classes derived from
// CPortableThread are not recognised.
bool IsThreadObject(void const* handle);
#ifdef VELQON_CHECKED
void NoteThreadMade(void const* thread);
void NoteThreadGone(void const* thread);
#else
inline void NoteThreadMade(void const*) {}
inline void NoteThreadGone(void const*) {}
#endif

// Whether an event function refuses `handle` as a thread handle: in the default build, whenever
// it is one; the checked build has stopped in EventRecord before.
inline bool RefusedAsThread(void const* handle) {
#ifdef VELQON_CHECKED
    static_cast<void>(handle);
    return false;
#else
    return IsThreadObject(handle);
#endif
}

// The checked build keeps a registry of the open event records (event_registry.cpp), so that a
// closed handle is recognised without reading the freed record: records are noted when created
// and forgotten just before they are freed. A closed handle whose address a newer event has taken
// passes for that event, and a close racing with another use of the handle is not caught. The
// default build keeps no registry.
#ifdef VELQON_CHECKED
void NoteEventOpened(void* hEvent);
void NoteEventFreed(void* hEvent);
bool IsOpenEvent(void* hEvent);
#else
inline void NoteEventOpened(void*) {}
inline void NoteEventFreed(void*) {}
bool IsOpenEvent(void* hEvent);  // never defined: named only in unevaluated checks
#endif

// The record of an open event handle. In the checked build, a null, invalid or closed handle,
// or a thread handle, stops the process with a message naming `function`.
inline CPortableEventData* EventRecord(void* hEvent, char const* function) {
    VELQON_CHECK(hEvent != nullptr, "%s: null event handle", function);
    VELQON_CHECK(hEvent != kInvalidEvent, "%s: invalid event handle", function);
    VELQON_CHECK(!IsThreadObject(hEvent),
                 "%s: handle %p is a thread, not an event: wait for its end with "
                 "WaitForPortableThread, or on an event its function sets (its Handle() is set "
                 "once, as the function returns, and a later wait misses it)",
                 function, hEvent);
    VELQON_CHECK(IsOpenEvent(hEvent), "%s: event handle %p is not open (closed or never created)",
                 function, hEvent);
    return static_cast<CPortableEventData*>(hEvent);
}

// Holds a mutex for one scope. Also releases it when a thread is cancelled inside a condition
// wait: the wait takes the mutex back before the cancellation unwinds the stack.
class MutexLock {
public:
    explicit MutexLock(pthread_mutex_t& mutex) : m_mutex(mutex) { pthread_mutex_lock(&m_mutex); }
    ~MutexLock() { pthread_mutex_unlock(&m_mutex); }
    MutexLock(MutexLock const&) = delete;
    MutexLock& operator=(MutexLock const&) = delete;

private:
    pthread_mutex_t& m_mutex;
};

// Initialises a condition variable whose timed waits take CLOCK_MONOTONIC deadlines.
void InitMonotonicCond(pthread_cond_t* cond);

// CLOCK_MONOTONIC now plus `milliseconds`, nanoseconds carried into the seconds.
timespec MonotonicDeadline(unsigned int milliseconds);

// AddPostTargetAndIndex that also registers the waiter's 64-bit mark word: each later set of
// the event ORs in bit `index` (index below 64) under *mutex before signalling *cond.
void AddPostTargetWithMarks(void* hEvent, pthread_cond_t* cond, pthread_mutex_t* mutex,
                            unsigned int index, unsigned int* indexOut, unsigned long long* marks,
                            bool* alreadySet);

// Takes one more hold on an open event record; a matching ClosePortableEvent releases it.
void RetainPortableEvent(void* hEvent);

// Waits until the caller's hold is the only one left on the event record, or until `deadline`
// on the monotonic clock (no limit when `deadline` is null). Returns whether it is the only one.
bool WaitForSoleHolder(void* hEvent, timespec const* deadline);

}  // namespace velqon_internal

#endif  // VELQON_THREADS_INTERNAL_H
