// VelqonThread.h - events, multi-object waits, threads and the CRC-32 checksum.
//
// Thread-safety: every event function may be called from any thread on any open event; an event
// must not be closed while another thread still uses its handle. A CPortableThread object is used
// by one controlling thread at a time (the thread it starts touches only its completion event).
// A thread cancelled while blocked in one of the waits below leaves every event usable.
//
// A checked build (CMake option VELQON_CHECKED) stops the process with a message when a function
// that needs an open event gets a null, invalid or closed handle (see VelqonMFC.h).
//
// Thread handles are not events. A CPortableThread object (what _beginthreadex returns) given to
// SetPortableEvent, ResetPortableEvent, WaitForPortableEvent, ClosePortableEvent or in the array
// of WaitForMultipleObjects is refused: the waits return 258 at once (a wait reports every error
// as 258 and never a failure code), without registering or waiting on anything; Set and Reset do
// nothing and return 1, as for the invalid handle; Close does nothing. The checked build stops
// instead, with a message pointing to WaitForPortableThread. Objects of classes derived from
// CPortableThread are not recognised.
//
// Timed waits measure their deadline on the monotonic clock: the millisecond timeout is added to
// CLOCK_MONOTONIC on entry (milliseconds beyond 999 carried into the seconds), so setting the
// system clock during a wait changes nothing.
#ifndef VELQON_THREAD_H
#define VELQON_THREAD_H

#include <pthread.h>
#include <unistd.h>

#define VELQON_API __attribute__((visibility("default")))

// ---------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------

// The record an event handle points at. Fixed shape: the fields from `cond` to `postLock` keep
// this order; fields after `postLock` are this library's own and may grow.
//
// Locks: `mutex` guards `set` and the waits on `cond`; `postLock` guards the post fields
// (`postCond` to `postActive`, and `postMarks`) and `holders`. A set or reset holds `postLock`
// for its whole run, so registrations see each set either as the signalled state or as one
// notification. Order: `postLock` before `mutex`, and `postLock` before a post target's mutex.
// No lock is held across a call into caller code.
struct CPortableEventData {
    pthread_cond_t cond;         // waiters of WaitForPortableEvent; monotonic clock
    pthread_mutex_t mutex;       // guards `set` and the waits on `cond`
    int set;                     // 1 while signalled (initial state or a manual-reset set)
    bool manualReset;            // fixed at creation
    pthread_cond_t* postCond;    // the registered post target's condition variable
    pthread_mutex_t* postMutex;  // the registered post target's mutex
    unsigned int postIndex;      // index under which the post target registered this event
    unsigned int* postIndexOut;  // a set stores postIndex here, under *postMutex
    bool postActive;             // a post target is registered
    pthread_mutex_t postLock;    // guards the post fields
    // Library additions.
    // Null, or a 64-bit mark word of the post target: a set also ORs in bit postIndex (for a
    // postIndex below 64) under *postMutex, so a waiter sees every set, not only the last slot
    // write. Registered by WaitForMultipleObjects only.
    unsigned long long* postMarks;
    // Holders of the record: 1 from creation, plus one while a thread started by
    // CPortableThread::BeginThread runs (it holds its completion event until its function has
    // returned or been cancelled). Changed under `postLock`; the last ClosePortableEvent frees
    // the record.
    int holders;
    // Broadcast under `postLock` whenever a hold is released and others remain; monotonic clock.
    // WaitForPortableThread waits on it for a thread to let go of its completion event.
    pthread_cond_t holdersCond;
};

extern "C" {
// Makes a new event and returns its handle, never null or invalid. `manualReset` != 0: a set
// keeps the event signalled until ResetPortableEvent; 0: auto-reset, where a set is a pulse that
// releases one thread waiting at that moment and leaves no trace (so an auto-reset event created
// signalled stays signalled until reset). `security` and `name` are ignored: every call makes a
// new unnamed event. Throws std::bad_alloc on exhaustion; nothing is left allocated then.
VELQON_API void* CreatePortableEvent(void* security, int manualReset, int initialState,
                                     char const* name);
// Same as CreatePortableEvent.
VELQON_API void* GetCreatePortableEvent(void* security, int manualReset, int initialState,
                                        char const* name);
// Signals the event: manual-reset sets it and wakes every waiter; auto-reset wakes at most one
// waiter and leaves the state as it is. Then notifies the registered post target, if any.
// Returns 1 always; does nothing on the invalid handle.
VELQON_API int SetPortableEvent(void* hEvent);
// Makes the event unsignalled. Returns 1. Requires an open handle.
VELQON_API int ResetPortableEvent(void* hEvent);
// Same as ResetPortableEvent.
VELQON_API int GetResetPortableEvent(void* hEvent);
// Same as ResetPortableEvent.
VELQON_API int ResetEvent(void* hEvent);
// Waits until the event is set or `dwMilliseconds` pass (4294967295: no limit). Returns 0 at once
// if the event is signalled, without changing it; otherwise one condition wait: 0 when it was
// woken, 258 at the deadline or on a failed wait. Timeout 0 never blocks. A change of the system
// clock neither stretches nor cuts the timeout. The state is not examined again after waking: an
// auto-reset set is a pulse that leaves the event unsignalled, so the wake-up itself is the
// signal, and a wake-up of the condition variable that no set caused reports 0 as well.
VELQON_API unsigned int WaitForPortableEvent(void* hEvent, unsigned int dwMilliseconds);
// Same as WaitForPortableEvent.
VELQON_API unsigned int GetWaitForPortableEvent(void* hEvent, unsigned int dwMilliseconds);
// Releases the caller's hold on the event: the handle must not be used again. The record is
// freed at once unless a thread started by CPortableThread still has to set it (then that thread
// frees it when it is done).
VELQON_API void ClosePortableEvent(void* hEvent);
// Makes (cond, mutex, indexOut) the event's one post target, replacing any earlier one: each later
// set stores `index` into *indexOut under *mutex and signals *cond. Stores into *alreadySet
// whether the event was signalled at registration. Must not be called with *mutex held.
VELQON_API void AddPostTargetAndIndex(void* hEvent, pthread_cond_t* cond, pthread_mutex_t* mutex,
                                      unsigned int index, unsigned int* indexOut, bool* alreadySet);
// Clears the event's post target, whoever registered it (`cond` and `mutex` are not compared).
// Once it returns, no set touches the former target again. Must not be called with its mutex held.
VELQON_API void RemovePostTarget(void* hEvent, pthread_cond_t* cond, pthread_mutex_t* mutex);
// Prints "event 0x%lx set = %d\n" with the handle and its state to standard output.
VELQON_API void DumpEvent(void* hEvent);

// ---------------------------------------------------------------------------------------------
// Waiting on several events
// ---------------------------------------------------------------------------------------------

// Waits until any (`bWaitAll` = 0) or all (`bWaitAll` != 0) of the `nCount` event handles in
// `lpHandles` are set, or `dwMilliseconds` pass (4294967295: no limit). Null entries are skipped.
// Returns 0 for no count, no non-null entry, or all events set (wait for all); the index of a set
// event (wait for any: the first entry found signalled at registration, else the lowest index set
// during the wait); 258 at the deadline, which is fixed on entry so registration time counts. A
// change of the system clock neither stretches nor cuts the timeout.
// Every set after an event's registration is seen, also when it comes before the waiter blocks or
// together with other sets; wake-ups no set caused are ignored. Wait for all ends as soon as the
// last needed event is set. Consumes nothing: states of the events are left as they are.
// Each event takes one post target: an event must not be in two such waits at once. Registration
// of wait for any stops at the first entry already signalled; every non-null entry's registration
// is removed before the call returns, also when it throws.
// Locks: the call registers on and removes from each event under the event's postLock, and
// waits under its own mutex, which a set of an event takes while holding that postLock. So the
// call takes its mutex only after every registration is made and releases it before any is
// removed; holding it across a removal would deadlock against a concurrent set.
// `nCount` above 64 is outside the design: a set of an event at index 64 or higher throws
// std::out_of_range (what() starting "bitset::set") out of the wait, and so does a wait for all
// whose entries at 64 or higher were already signalled. The checked build stops the call instead.
VELQON_API unsigned int WaitForMultipleObjects(unsigned int nCount, void** lpHandles, int bWaitAll,
                                               unsigned int dwMilliseconds);
}

// One event handle held as an object.
// Fixed shape: virtual destructor first in the table, then m_hEvent and m_bCloseOnDestroy.
class VELQON_API CPortableEvent {
public:
    // Holds the invalid handle; creates no event. `bCloseOnDestroy` != 0: the destructor closes
    // the event this object holds then.
    CPortableEvent(int bCloseOnDestroy);
    // Closes a valid handle when asked to at construction; otherwise leaves the event open.
    virtual ~CPortableEvent();

    // Makes a new event (see the free CreatePortableEvent) and holds it. An earlier handle is
    // replaced without being closed, as its handle may be in use elsewhere (m_hEvent is public):
    // closing it is left to the caller. Returns 1 for a valid handle, else 0.
    int CreatePortableEvent(void* security, int manualReset, int initialState, char const* name);
    // SetPortableEvent on the held handle: 1, also for the invalid handle.
    int SetPortableEvent();
    // ResetPortableEvent on the held handle: 1. Requires a valid handle.
    int ResetEvent();
    // 1 when the held handle is neither null nor invalid, else 0.
    int IsOK();
    // The held handle.
    operator void*() const;
    // Prints "CPortableEvent: cond->set %d\n" with the event's state. Requires a valid handle.
    void Dump();

    void* m_hEvent;
    int m_bCloseOnDestroy;
};

// ---------------------------------------------------------------------------------------------
// Threads
// ---------------------------------------------------------------------------------------------

// A POSIX thread running one caller function, with a name and a completion event.
// Fixed shape: virtual destructor first in the table, then m_pProc, m_pUser, m_hThread, m_attr,
// m_event, m_szName.
//
// Ownership: the started thread never touches this object. It holds its own reference on the
// completion event record, so deleting the object (or ClosePortableThread) while the thread runs
// is safe; the record is freed by whichever of the two lets go last.
class VELQON_API CPortableThread {
public:
    // No thread yet (m_hThread 0, m_pProc and m_pUser null); creates the completion event, an
    // auto-reset unsignalled event closed with the object. m_attr and m_szName stay unset until
    // BeginThread. Throws std::bad_alloc if the event cannot be made.
    CPortableThread();
    // Releases the completion event. Does not stop, join or detach the thread, so destroying the
    // object never blocks and the caller may still join the thread: a thread nobody joins keeps
    // its resources until the process ends; ClosePortableThread detaches it.
    virtual ~CPortableThread();

    // Records name, `proc` and `user`, initialises m_attr to defaults and starts a thread running
    // proc(user). The thread resets the completion event, runs the function and then sets the
    // event once (a pulse: it releases one thread waiting at that moment and notifies a
    // multi-object waiter). On success asks for SCHED_RR priority 1 and silently keeps the
    // default policy when that is refused (no privilege), then stores the low 32 bits of m_hThread
    // into *id when `id` is not null. On failure prints "pthread_create error %d\n" to standard
    // error, leaves m_hThread 0 and *id untouched. No trace text is composed and m_attr is not
    // changed after the start: scope and scheduling diagnostics would go into a buffer shared by
    // all threads that nobody reads, and a scope set after the start cannot affect the thread.
    // Throws std::bad_alloc before starting anything on exhaustion.
    void BeginThread(char const* name, void* (*proc)(void*), void* user, unsigned int* id);
    // Zero-fills m_szName and copies at most 127 characters of `name`.
    void SetName(char const* name);
    // The completion event's handle, to give to WaitForPortableEvent or WaitForMultipleObjects.
    void* Handle();
    // Start routine of the thread. `arg` is a start record made by BeginThread, which the thread
    // owns and frees; it holds the function, its argument and the completion event handle.
    // Returns what the function returned (pthread_join reports it).
    static void* LinuxThreadRunner(void* arg);
    // Requests cancellation of the thread; a cancelled thread does not set its completion event.
    // Returns 1 if the request was accepted (the thread is then detached, so its resources are
    // reclaimed when it ends), else 0. m_hThread is 0 afterwards. `exitCode` is ignored.
    int TerminateThread(int exitCode);
    // Stores 4294967295 ("still active") while the thread exists and 0 once it has ended or when
    // m_hThread is 0 (never started, cancelled or joined). Returns 1. The function's own result
    // is not reported.
    int GetExitCodeThread(unsigned int* exitCode);

    void* (*m_pProc)(void*);
    void* m_pUser;
    pthread_t m_hThread;  // 0 when there is no thread left to join or detach
    pthread_attr_t m_attr;
    CPortableEvent m_event;
    char m_szName[128];
};

extern "C" {
// Makes a CPortableThread and starts it on proc(arg) with `name` ("unknown thread" for null);
// stores the thread's 32-bit identifier into *threadId (0 when it could not start; a null
// `threadId` is accepted, as callers often pass one) and returns the object, also when the
// thread could not start. `stackSize` and `initFlag` are ignored.
// Throws std::bad_alloc on exhaustion, leaving nothing allocated.
VELQON_API void* _beginthreadex(char const* name, unsigned int stackSize, void* (*proc)(void*),
                                void* arg, unsigned int initFlag, unsigned int* threadId);
// Waits up to `dwMilliseconds` (4294967295: no limit) for the thread of a handle from
// _beginthreadex to end, and joins it (the exit value is discarded). Returns 0 when the thread
// was joined in time, or when there is no thread to join (never started, cancelled, already
// joined); 258 when the deadline passed first, the thread then stays joinable. Never joins a
// thread twice, and never blocks past a finite deadline: the deadline covers the thread function,
// and the join after it only waits for the thread's exit (its thread_local destructors). A change
// of the system clock neither stretches nor cuts the timeout. One waiter per thread object at a
// time.
VELQON_API unsigned int WaitForPortableThread(void* hThread, unsigned int dwMilliseconds);
// Ignores null. Otherwise, for a thread not yet joined or cancelled, sends it SIGQUIT (what that
// does is the application's signal disposition) and detaches it; then deletes the object. A
// thread still running afterwards finishes safely and sets nothing anybody can observe.
VELQON_API void ClosePortableThread(void* hThread);
}

// The calling thread's kernel thread identifier (the gettid system call). Exported with C++
// linkage. With glibc 2.30 or later, <unistd.h> already declares the C library's gettid for C++
// code; that declaration is used as it is and returns the same value.
#if !(defined(__GLIBC__) && defined(__USE_GNU) && \
      (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 30)))
VELQON_API int gettid();
#endif

// ---------------------------------------------------------------------------------------------
// CRC-32 checksum
// ---------------------------------------------------------------------------------------------

// The standard CRC-32 (IEEE 802.3, as zlib and PNG compute it) of `length` bytes at `data`;
// 0 for a length of 0, without reading `data`. Bytes count as unsigned values 0 to 255, and
// `data` is only read, although the exported signature does not say so. Reads only constant
// tables: safe from any thread. Uses carry-less multiplication where the processor has it; the
// result is the same either way.
VELQON_API unsigned int Portable_crc32(char* data, unsigned int length);

#undef VELQON_API
#endif  // VELQON_THREAD_H
