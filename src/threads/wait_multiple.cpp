// WaitForMultipleObjects: waiting for any or all of up to 64 events through post targets.
//
// Wake-up protocol. The waiter registers one condition variable, mutex, index slot and 64-bit
// mark word on every event. A set of event i, holding the event's postLock and then the waiter's
// mutex, stores i into the slot, ORs bit i into the marks and signals. The waiter only reads and
// clears slot and marks under its mutex, and looks at them before every wait, so a set that lands
// between registration and the first wait, several sets before one wake-up, and wake-ups that no
// set caused are all accounted for exactly.
#include <bitset>

#include "threads/threads_internal.h"

using velqon_internal::kInfinite;
using velqon_internal::kWaitTimeout;

namespace {

constexpr unsigned int kMaxObjects = 64;
// Slot value meaning "no set since the waiter last looked"; no registered index can equal it.
constexpr unsigned int kNoSlot = 0xFFFFFFFFu;

// One call's side of the post-target protocol: the condition variable, mutex, slot and marks it
// registers on the events, the registrations, and the mutex while the call waits.
//
// Lock order. A set of an event holds the event's postLock while it takes this mutex, and
// registering and removing take postLock. So the mutex is never held while registering or
// removing: Register comes before Lock, and the destructor releases the mutex before it removes
// the registrations (in that order, also when an exception or a cancellation of the waiting
// thread leaves the call), so no concurrent set can deadlock against the waiter.
class Waiter {
public:
    Waiter(void** handles, unsigned int count) : m_handles(handles), m_count(count) {
        velqon_internal::InitMonotonicCond(&m_cond);
        pthread_mutex_init(&m_mutex, nullptr);
    }
    // Removes the target from every non-null entry, registered or not, so no registration
    // outlives the call.
    ~Waiter() {
        if (m_locked) {
            pthread_mutex_unlock(&m_mutex);
        }
        for (unsigned int i = 0; i < m_count; ++i) {
            if (m_handles[i] != nullptr) {
                RemovePostTarget(m_handles[i], &m_cond, &m_mutex);
            }
        }
        pthread_cond_destroy(&m_cond);
        pthread_mutex_destroy(&m_mutex);
    }
    Waiter(Waiter const&) = delete;
    Waiter& operator=(Waiter const&) = delete;

    // Registers entry i and returns whether its event was already signalled. Before Lock only.
    bool Register(unsigned int i) {
        bool alreadySet = false;
        velqon_internal::AddPostTargetWithMarks(m_handles[i], &m_cond, &m_mutex, i, &m_slot,
                                                &m_marks, &alreadySet);
        return alreadySet;
    }

    // Takes the mutex for the rest of the call: the waiting phase.
    void Lock() {
        pthread_mutex_lock(&m_mutex);
        m_locked = true;
    }

    // Moves what sets recorded since the last look into `signalled`. A slot index below 64 is
    // also in the marks; one at 64 or more throws std::out_of_range from the set.
    void TakeSets(std::bitset<kMaxObjects>& signalled) {
        signalled |= std::bitset<kMaxObjects>(m_marks);
        m_marks = 0;
        if (m_slot != kNoSlot) {
            unsigned int const index = m_slot;
            m_slot = kNoSlot;
            signalled.set(index);
        }
    }

    // One condition wait, without limit or until `deadline`; false when the deadline passed.
    bool Block(unsigned int milliseconds, timespec const& deadline) {
        if (milliseconds == kInfinite) {
            pthread_cond_wait(&m_cond, &m_mutex);
            return true;
        }
        return pthread_cond_timedwait(&m_cond, &m_mutex, &deadline) == 0;
    }

private:
    void** m_handles;
    unsigned int m_count;
    pthread_cond_t m_cond;
    pthread_mutex_t m_mutex;
    bool m_locked = false;
    unsigned int m_slot = kNoSlot;   // last index set; kNoSlot once taken
    unsigned long long m_marks = 0;  // bit i: event i set since the waiter last looked
};

unsigned int LowestIndex(std::bitset<kMaxObjects> const& signalled) {
    return static_cast<unsigned int>(__builtin_ctzll(signalled.to_ullong()));
}

}  // namespace

unsigned int WaitForMultipleObjects(unsigned int nCount, void** lpHandles, int bWaitAll,
                                    unsigned int dwMilliseconds) {
    // Fixed on entry, so the time spent registering counts against the timeout.
    timespec const deadline = velqon_internal::MonotonicDeadline(dwMilliseconds);
    VELQON_CHECK(nCount <= 64, "WaitForMultipleObjects: %u handles, at most 64 allowed", nCount);
    if (nCount == 0) {
        return 0;
    }
    for (unsigned int i = 0; i < nCount; ++i) {
        if (lpHandles[i] != nullptr && velqon_internal::RefusedAsThread(lpHandles[i])) {
            // Refused before anything is registered; as every error of a wait, reported as 258.
            return velqon_internal::kWaitTimeout;
        }
    }
    Waiter waiter(lpHandles, nCount);

    // Indices every non-null entry must reach (wait for all); entries at 64 or more can never be
    // recorded, so such a wait ends only at the deadline or with the out-of-range exception.
    std::bitset<kMaxObjects> needed;
    bool unreachable = false;
    std::bitset<kMaxObjects> signalled;
    bool anyEntry = false;
    for (unsigned int i = 0; i < nCount; ++i) {
        if (lpHandles[i] == nullptr) {
            continue;
        }
        anyEntry = true;
        bool const alreadySet = waiter.Register(i);
        if (!bWaitAll) {
            if (alreadySet) {
                return i;  // later entries stay unregistered
            }
            continue;
        }
        if (i < kMaxObjects) {
            needed.set(i);
        } else {
            unreachable = true;
        }
        if (alreadySet) {
            signalled.set(i);
        }
    }
    if (!anyEntry) {
        return 0;
    }

    waiter.Lock();
    bool timedOut = false;
    for (;;) {
        waiter.TakeSets(signalled);
        if (!bWaitAll && signalled.any()) {
            return LowestIndex(signalled);
        }
        if (bWaitAll && !unreachable && signalled == needed) {
            return 0;
        }
        if (timedOut) {
            return kWaitTimeout;
        }
        timedOut = !waiter.Block(dwMilliseconds, deadline);
    }
}
