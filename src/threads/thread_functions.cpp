// The Win32-named free functions over CPortableThread objects.
#include <signal.h>

#include <memory>

#include "threads/threads_internal.h"

using velqon_internal::kInfinite;
using velqon_internal::kWaitTimeout;

void* _beginthreadex(char const* name, unsigned int, void* (*proc)(void*), void* arg, unsigned int,
                     unsigned int* threadId) {
    std::unique_ptr<CPortableThread> thread(new CPortableThread);
    unsigned int id = 0;
    thread->BeginThread(name != nullptr ? name : "unknown thread", proc, arg, &id);
    *threadId = id;
    return thread.release();
}

unsigned int WaitForPortableThread(void* hThread, unsigned int dwMilliseconds) {
    CPortableThread* thread = static_cast<CPortableThread*>(hThread);
    if (thread->m_hThread == 0) {
        return 0;
    }
    // The thread holds its completion event until its function has returned or been cancelled:
    // wait for that on the monotonic clock, then join, which only waits for the thread's exit.
    bool ended;
    if (dwMilliseconds == kInfinite) {
        ended = velqon_internal::WaitForSoleHolder(thread->m_event.m_hEvent, nullptr);
    } else {
        timespec const deadline = velqon_internal::MonotonicDeadline(dwMilliseconds);
        ended = velqon_internal::WaitForSoleHolder(thread->m_event.m_hEvent, &deadline);
    }
    if (!ended) {
        return kWaitTimeout;
    }
    pthread_join(thread->m_hThread, nullptr);
    thread->m_hThread = 0;
    return 0;
}

void ClosePortableThread(void* hThread) {
    if (hThread == nullptr) {
        return;
    }
    CPortableThread* thread = static_cast<CPortableThread*>(hThread);
    if (thread->m_hThread != 0) {
        pthread_kill(thread->m_hThread, SIGQUIT);
        // The handle is the last way to join it: let the system reclaim it when it ends.
        pthread_detach(thread->m_hThread);
    }
    // The thread keeps its own hold on the completion event, so it may still run and set it.
    delete thread;
}
