// Threads: start, names, completion event, join, cancellation, closing while running.
#include <gtest/gtest.h>

#include <errno.h>
#include <sched.h>
#include <signal.h>
#include <string.h>
#include <sys/syscall.h>

#include <atomic>
#include <string>

#include "thread_test_support.h"

// From headers_cxx11.cpp, built as C++11 with every public header and the system headers.
int GettidSeenByCxx11Unit();
// The exported C++ symbol itself, whatever <unistd.h> declares.
int ExportedGettid() __asm__("_Z6gettidv");

namespace {

// A thread function that waits for its gate (an event handle) and returns 42.
void* WaitForGateThen42(void* gate) {
    WaitForPortableEvent(gate, kGenerousMs);
    return reinterpret_cast<void*>(42);
}

// The thread reports 42 through pthread_join, and a waiter on its completion event is released.
TEST(PortableThreadTest, CompletionEventAndExitValue) {
    TestEvent gate(1, 0);
    CPortableThread thread;
    unsigned int id = 0;
    std::atomic<unsigned int> waited(kTimedOut);
    {
        JoiningThread waiter([&] { waited = WaitForPortableEvent(thread.Handle(), kGenerousMs); });
        thread.BeginThread("worker", WaitForGateThen42, gate, &id);
        EXPECT_EQ(static_cast<unsigned int>(thread.m_hThread), id);
        EXPECT_NE(0u, id);
        ShortPause();
        gate.SetPortableEvent();
    }
    EXPECT_EQ(0u, waited.load());
    void* result = nullptr;
    EXPECT_EQ(0, pthread_join(thread.m_hThread, &result));
    thread.m_hThread = 0;
    EXPECT_EQ(reinterpret_cast<void*>(42), result);
}

// The completion event is a pulse: a thread that ended before anybody waited leaves it unset.
// WaitForPortableThread joins once, and reports 0 for a thread that is already joined.
TEST(PortableThreadTest, WaitForPortableThreadJoinsOnce) {
    TestEvent gate(1, 0);
    unsigned int id = 0;
    void* handle = _beginthreadex("joined", 0, WaitForGateThen42, gate, 0, &id);
    EXPECT_EQ(kTimedOut, WaitForPortableThread(handle, 200));
    gate.SetPortableEvent();
    EXPECT_EQ(0u, WaitForPortableThread(handle, kInfinite));
    EXPECT_EQ(0u, static_cast<CPortableThread*>(handle)->m_hThread);
    EXPECT_EQ(0u, WaitForPortableThread(handle, 0));
    EXPECT_EQ(kTimedOut,
              WaitForPortableEvent(static_cast<CPortableThread*>(handle)->Handle(), 200));
    ClosePortableThread(handle);
    ClosePortableThread(nullptr);
}

// Names: null gives "unknown thread", long names keep their first 127 characters.
TEST(PortableThreadTest, Names) {
    TestEvent gate(1, 1);
    unsigned int id = 0;
    void* unnamed = _beginthreadex(nullptr, 0, WaitForGateThen42, gate, 0, &id);
    EXPECT_STREQ("unknown thread", static_cast<CPortableThread*>(unnamed)->m_szName);
    EXPECT_EQ(0u, WaitForPortableThread(unnamed, kGenerousMs));
    ClosePortableThread(unnamed);

    std::string const longName(200, 'n');
    CPortableThread named;
    named.BeginThread(longName.c_str(), WaitForGateThen42, gate, nullptr);
    EXPECT_EQ(longName.substr(0, 127), named.m_szName);
    EXPECT_EQ(0u, WaitForPortableThread(&named, kGenerousMs));
}

// The exit code reads "still active" while the thread exists and 0 once it has ended.
TEST(PortableThreadTest, GetExitCodeThread) {
    TestEvent gate(1, 0);
    CPortableThread thread;
    thread.BeginThread("exit code", WaitForGateThen42, gate, nullptr);
    unsigned int code = 0;
    EXPECT_EQ(1, thread.GetExitCodeThread(&code));
    EXPECT_EQ(0xFFFFFFFFu, code);
    gate.SetPortableEvent();
    Clock::time_point const start = Clock::now();
    while (thread.GetExitCodeThread(&code) == 1 && code != 0 && MillisecondsSince(start) < 5000) {
        std::this_thread::yield();
    }
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0u, WaitForPortableThread(&thread, kGenerousMs));
    EXPECT_EQ(1, thread.GetExitCodeThread(&code));
    EXPECT_EQ(0u, code);
}

// Sets its event when the frame of the thread function unwinds.
struct UnwindSignal {
    void* event;
    ~UnwindSignal() { SetPortableEvent(event); }
};

struct CancelledWork {
    void* unwound;
    void* blocker;  // never set: the function stays in its wait until cancelled
};

void* WaitUntilCancelled(void* arg) {
    CancelledWork* work = static_cast<CancelledWork*>(arg);
    UnwindSignal const signal{work->unwound};
    WaitForPortableEvent(work->blocker, kInfinite);
    return nullptr;
}

// A thread cancelled inside a wait does not set its completion event and leaves the event it
// waited on usable; m_hThread reads 0 afterwards.
TEST(PortableThreadTest, TerminateThread) {
    TestEvent unwound(1, 0);
    TestEvent blocker(1, 0);
    CancelledWork work{unwound, blocker};
    CPortableThread thread;
    thread.BeginThread("cancelled", WaitUntilCancelled, &work, nullptr);
    ShortPause();
    EXPECT_EQ(1, thread.TerminateThread(0));
    EXPECT_EQ(0u, thread.m_hThread);
    EXPECT_EQ(0u, WaitForPortableEvent(unwound, kGenerousMs));
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(thread.Handle(), 200));
    EXPECT_EQ(0, thread.TerminateThread(0));
    blocker.SetPortableEvent();
    EXPECT_EQ(0u, WaitForPortableEvent(blocker, 0));
}

// Deleting the object of a running thread is safe: the thread still sets and frees its
// completion event afterwards (AddressSanitizer checks that nothing freed is touched).
TEST(PortableThreadTest, DeleteWhileRunning) {
    TestEvent gate(1, 0);
    CPortableThread* thread = new CPortableThread;
    thread->BeginThread("orphan", WaitForGateThen42, gate, nullptr);
    pthread_t const id = thread->m_hThread;
    delete thread;
    gate.SetPortableEvent();
    void* result = nullptr;
    EXPECT_EQ(0, pthread_join(id, &result));
    EXPECT_EQ(reinterpret_cast<void*>(42), result);
}

// Sets an event when the thread exits, after the start routine has returned.
struct ExitSignal {
    void* event = nullptr;
    ~ExitSignal() {
        if (event != nullptr) {
            SetPortableEvent(event);
        }
    }
};

struct ClosedWork {
    void* gate;
    void* exited;
};

void* RunPastClose(void* arg) {
    ClosedWork* work = static_cast<ClosedWork*>(arg);
    thread_local ExitSignal exitSignal;
    exitSignal.event = work->exited;
    WaitForPortableEvent(work->gate, kGenerousMs);
    return nullptr;
}

// ClosePortableThread on a running thread (SIGQUIT ignored here) deletes the object; the thread
// finishes on its own without touching freed memory.
TEST(PortableThreadTest, CloseWhileRunning) {
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(0, sigaction(SIGQUIT, &ignore, &previous));
    TestEvent gate(1, 0);
    TestEvent exited(1, 0);
    ClosedWork work{gate, exited};
    unsigned int id = 0;
    ClosePortableThread(_beginthreadex("closed", 0, RunPastClose, &work, 0, &id));
    gate.SetPortableEvent();
    EXPECT_EQ(0u, WaitForPortableEvent(exited, kGenerousMs));
    sigaction(SIGQUIT, &previous, nullptr);
}

void* ReportPolicy(void* policy) {
    // The creator applies the scheduling right after pthread_create: give it the time to.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    sched_param param;
    pthread_getschedparam(pthread_self(), static_cast<int*>(policy), &param);
    return nullptr;
}

void* Nothing(void*) {
    return nullptr;
}

// Whether this process may start SCHED_RR threads.
bool MayUseRealTime() {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED);
    pthread_attr_setschedpolicy(&attr, SCHED_RR);
    sched_param param = {};
    param.sched_priority = 1;
    pthread_attr_setschedparam(&attr, &param);
    pthread_t probe;
    int const rc = pthread_create(&probe, &attr, Nothing, nullptr);
    pthread_attr_destroy(&attr);
    if (rc == 0) {
        pthread_join(probe, nullptr);
    }
    return rc == 0;
}

// Threads run round-robin when the process has the privilege and keep the default policy
// otherwise; either way they start and report their identifier.
TEST(PortableThreadTest, RealTimeSchedulingWhenPermitted) {
    int policy = -1;
    CPortableThread thread;
    unsigned int id = 0;
    thread.BeginThread("scheduled", ReportPolicy, &policy, &id);
    EXPECT_NE(0u, id);
    EXPECT_EQ(0u, WaitForPortableThread(&thread, kGenerousMs));
    EXPECT_EQ(MayUseRealTime() ? SCHED_RR : SCHED_OTHER, policy);
}

// gettid is the kernel thread identifier, through the exported symbol, through whatever
// <unistd.h> declares, and from a C++11 unit that includes every header in another order.
TEST(GettidTest, KernelThreadIdentifier) {
    int const kernel = static_cast<int>(syscall(SYS_gettid));
    EXPECT_EQ(kernel, ExportedGettid());
    EXPECT_EQ(kernel, gettid());
    EXPECT_EQ(kernel, GettidSeenByCxx11Unit());
    int other = 0;
    JoiningThread([&] { other = ExportedGettid(); });
    EXPECT_NE(kernel, other);
}

}  // namespace
