// CPortableThread: a named POSIX thread with a completion event.
#include <errno.h>
#include <sched.h>
#include <stdio.h>
#include <string.h>

#include "threads/threads_internal.h"

namespace {

// What the started thread needs, handed over at creation so that it never reads the thread
// object, which its owner may delete at any time. The thread frees it on entry.
struct ThreadStart {
    void* (*proc)(void*);
    void* user;
    void* completion;  // completion event, with a hold of the thread's own
};

// Releases the thread's hold on its completion event when the runner's frame goes, also when
// cancellation or pthread_exit unwinds it.
class CompletionHold {
public:
    explicit CompletionHold(void* event) : m_event(event) {}
    ~CompletionHold() { ClosePortableEvent(m_event); }
    CompletionHold(CompletionHold const&) = delete;
    CompletionHold& operator=(CompletionHold const&) = delete;

private:
    void* m_event;
};

// The virtual-table pointer that begins every CPortableThread object (of this class itself, not
// of a derived one): the first word of the object. Each constructor stores it, so it is set
// before any thread handle exists; null before the first thread object.
void const* threadTable = nullptr;

void const* FirstWord(void const* object) {
    void const* word;
    memcpy(&word, object, sizeof word);
    return word;
}

}  // namespace

CPortableThread::CPortableThread() : m_pProc(nullptr), m_pUser(nullptr), m_hThread(0), m_event(1) {
    m_event.CreatePortableEvent(nullptr, 0, 0, nullptr);
    __atomic_store_n(&threadTable, FirstWord(this), __ATOMIC_RELAXED);
    velqon_internal::NoteThreadMade(this);
}

CPortableThread::~CPortableThread() {
    velqon_internal::NoteThreadGone(this);
}

#ifndef VELQON_CHECKED
bool velqon_internal::IsThreadObject(void const* handle) {
    void const* const table = __atomic_load_n(&threadTable, __ATOMIC_RELAXED);
    return table != nullptr && FirstWord(handle) == table;
}
#endif

void CPortableThread::BeginThread(char const* name, void* (*proc)(void*), void* user,
                                  unsigned int* id) {
    m_pProc = proc;
    m_pUser = user;
    SetName(name);
    pthread_attr_init(&m_attr);

    ThreadStart* start = new ThreadStart{proc, user, m_event.m_hEvent};
    velqon_internal::RetainPortableEvent(start->completion);
    int const rc = pthread_create(&m_hThread, &m_attr, LinuxThreadRunner, start);
    if (rc != 0) {
        ClosePortableEvent(start->completion);
        delete start;
        m_hThread = 0;
        (void)fprintf(stderr, "pthread_create error %d\n", rc);
        return;
    }

    // Round-robin real time when the process may have it; refused (EPERM) it stays as it is.
    sched_param param;
    memset(&param, 0, sizeof param);
    param.sched_priority = 1;
    pthread_setschedparam(m_hThread, SCHED_RR, &param);

    if (id != nullptr) {
        *id = static_cast<unsigned int>(m_hThread);
    }
}

void CPortableThread::SetName(char const* name) {
    memset(m_szName, 0, sizeof m_szName);
    strncpy(m_szName, name, sizeof m_szName - 1);
    m_szName[sizeof m_szName - 1] = '\0';
}

void* CPortableThread::Handle() {
    return m_event;
}

void* CPortableThread::LinuxThreadRunner(void* arg) {
    ThreadStart const start = *static_cast<ThreadStart*>(arg);
    delete static_cast<ThreadStart*>(arg);
    CompletionHold const hold(start.completion);

    ResetPortableEvent(start.completion);
    void* const result = start.proc(start.user);
    // Not reached when the function is cancelled: a cancelled thread sets nothing.
    SetPortableEvent(start.completion);
    return result;
}

int CPortableThread::TerminateThread(int) {
    if (m_hThread == 0) {
        return 0;
    }
    int const rc = pthread_cancel(m_hThread);
    if (rc == 0) {
        // Nobody can join it once m_hThread is cleared: let the system reclaim it.
        pthread_detach(m_hThread);
    }
    m_hThread = 0;
    return rc == 0 ? 1 : 0;
}

int CPortableThread::GetExitCodeThread(unsigned int* exitCode) {
    if (m_hThread == 0) {
        *exitCode = 0;
        return 1;
    }
    int policy;
    sched_param param;
    *exitCode = pthread_getschedparam(m_hThread, &policy, &param) == ESRCH ? 0 : 0xFFFFFFFFu;
    return 1;
}
