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

// The waiter's side of the post-target protocol, alive for one call.
struct PostTarget {
    PostTarget() {
        velqon_internal::InitMonotonicCond(&cond);
        pthread_mutex_init(&mutex, nullptr);
    }
    ~PostTarget() {
        pthread_cond_destroy(&cond);
        pthread_mutex_destroy(&mutex);
    }
    PostTarget(PostTarget const&) = delete;
    PostTarget& operator=(PostTarget const&) = delete;

    pthread_cond_t cond;
    pthread_mutex_t mutex;
    unsigned int slot = kNoSlot;   // last index set; kNoSlot once taken
    unsigned long long marks = 0;  // bit i: event i set since the waiter last looked
};

// The registrations of one call. The destructor removes the target from every non-null entry,
// registered or not, so no registration outlives the call, also when an exception leaves it.
class Registrations {
public:
    Registrations(PostTarget& target, void** handles, unsigned int count)
        : m_target(target), m_handles(handles), m_count(count) {}
    ~Registrations() {
        for (unsigned int i = 0; i < m_count; ++i) {
            if (m_handles[i] != nullptr) {
                RemovePostTarget(m_handles[i], &m_target.cond, &m_target.mutex);
            }
        }
    }
    Registrations(Registrations const&) = delete;
    Registrations& operator=(Registrations const&) = delete;

    // Registers entry i and returns whether its event was already signalled.
    bool Add(unsigned int i) {
        bool alreadySet = false;
        velqon_internal::AddPostTargetWithMarks(m_handles[i], &m_target.cond, &m_target.mutex, i,
                                                &m_target.slot, &m_target.marks, &alreadySet);
        return alreadySet;
    }

private:
    PostTarget& m_target;
    void** m_handles;
    unsigned int m_count;
};

// Moves what sets recorded since the last look into `signalled`; called under the mutex. A slot
// index below 64 is also in the marks; one at 64 or more throws std::out_of_range from the set.
void TakeSets(PostTarget& target, std::bitset<kMaxObjects>& signalled) {
    signalled |= std::bitset<kMaxObjects>(target.marks);
    target.marks = 0;
    if (target.slot != kNoSlot) {
        unsigned int const index = target.slot;
        target.slot = kNoSlot;
        signalled.set(index);
    }
}

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
            return velqon_internal::kWaitFailed;  // before anything is registered
        }
    }
    PostTarget target;
    Registrations registrations(target, lpHandles, nCount);

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
        bool const alreadySet = registrations.Add(i);
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

    velqon_internal::MutexLock lock(target.mutex);
    bool timedOut = false;
    for (;;) {
        TakeSets(target, signalled);
        if (!bWaitAll && signalled.any()) {
            return LowestIndex(signalled);
        }
        if (bWaitAll && !unreachable && signalled == needed) {
            return 0;
        }
        if (timedOut) {
            return kWaitTimeout;
        }
        if (dwMilliseconds == kInfinite) {
            pthread_cond_wait(&target.cond, &target.mutex);
        } else {
            timedOut = pthread_cond_timedwait(&target.cond, &target.mutex, &deadline) != 0;
        }
    }
}
