// Threads: start, names, completion event, join, cancellation, closing while running.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <linux/capability.h>
#include <sched.h>
#include <signal.h>
#include <sys/syscall.h>

#include <atomic>
#include <string>

#include "threads.h"

// From headers_cxx11.cpp, built as C++11 with every public header and the system headers.
int GettidSeenByCxx11Unit();
// The exported C++ symbol itself, whatever <unistd.h> declares.
int ExportedGettid() __asm__("_Z6gettidv");

namespace {

// The last pthread_setschedparam call and its result.
struct SchedulingRequest {
    pthread_t thread = 0;
    int policy = -1;
    int priority = -1;
    int result = -1;
} g_request;

}  // namespace

// Interposed for this executable: records the library's scheduling requests, then makes them.
extern "C" int pthread_setschedparam(pthread_t thread, int policy,
                                     sched_param const* param) noexcept {
    static auto const real = reinterpret_cast<int (*)(pthread_t, int, sched_param const*)>(
        dlsym(RTLD_NEXT, "pthread_setschedparam"));
    g_request = {thread, policy, param->sched_priority, real(thread, policy, param)};
    return g_request.result;
}

namespace {

// Waits for its gate (an event handle) and returns 42.
void* WaitForGateThen42(void* gate) {
    WaitForPortableEvent(gate, kGenerousMs);
    return reinterpret_cast<void*>(42);
}

// pthread_join reports 42, and a thread waiting on the completion event is released.
TEST(PortableThreadTest, CompletionEventAndExitValue) {
    TestEvent gate(1, 0);
    CPortableThread thread;
    unsigned int id = 0;
    std::atomic<unsigned int> waited(kTimedOut);
    {
        JoiningThread waiter([&] { waited = WaitForPortableEvent(thread.Handle(), kGenerousMs); });
        thread.BeginThread("worker", WaitForGateThen42, gate, &id);
        EXPECT_EQ(static_cast<unsigned int>(thread.m_hThread), id);
        ShortPause();
        gate.SetPortableEvent();
    }
    EXPECT_EQ(0u, waited.load());
    void* result = nullptr;
    EXPECT_EQ(0, pthread_join(thread.m_hThread, &result));
    thread.m_hThread = 0;
    EXPECT_EQ(reinterpret_cast<void*>(42), result);
}

// WaitForPortableThread times out, then joins once; the completion event of a thread that
// ended before anybody waited stays unset. The exit code reads "active", then 0. A
// 200-character name keeps its first 127 characters; no name reads "unknown thread"; a null
// identifier pointer is accepted.
TEST(PortableThreadTest, WaitForPortableThreadExitCodeAndName) {
    TestEvent gate(1, 0);
    unsigned int id = 0;
    void* handle = _beginthreadex(nullptr, 0, WaitForGateThen42, gate, 0, &id);
    CPortableThread* thread = static_cast<CPortableThread*>(handle);
    EXPECT_STREQ("unknown thread", thread->m_szName);
    unsigned int code = 0;
    thread->GetExitCodeThread(&code);
    EXPECT_EQ(0xFFFFFFFFu, code);
    ExpectTimeout(200, [&](unsigned int ms) { return WaitForPortableThread(handle, ms); });
    gate.SetPortableEvent();
    for (int spins = 0; thread->GetExitCodeThread(&code) == 1 && code != 0 && spins < 500;
         ++spins) {
        ShortPause();
    }
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0u, WaitForPortableThread(handle, kInfinite));
    EXPECT_EQ(0u, thread->m_hThread);
    EXPECT_EQ(0u, WaitForPortableThread(handle, 0));
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(thread->Handle(), 200));
    ClosePortableThread(handle);

    CPortableThread named;
    named.BeginThread((std::string(127, 'n') + std::string(73, 'x')).c_str(), WaitForGateThen42,
                      gate, nullptr);
    EXPECT_EQ(std::string(127, 'n'), named.m_szName);
    EXPECT_EQ(0u, WaitForPortableThread(&named, kGenerousMs));

    // A null identifier pointer is accepted; the thread still runs.
    void* unnamed = _beginthreadex("no id", 0, WaitForGateThen42, gate, 0, nullptr);
    EXPECT_NE(0u, static_cast<CPortableThread*>(unnamed)->m_hThread);
    EXPECT_EQ(0u, WaitForPortableThread(unnamed, kGenerousMs));
    ClosePortableThread(unnamed);
}

// Sets its event when the frame holding it unwinds, or when the thread exits (thread_local).
struct SetOnDestruction {
    void* event = nullptr;
    ~SetOnDestruction() { SetPortableEvent(event); }
};

struct Events {
    void* gate;
    void* done;
};

void* BlockUntilCancelled(void* arg) {
    Events* events = static_cast<Events*>(arg);
    SetOnDestruction const unwound{events->done};
    WaitForPortableEvent(events->gate, kInfinite);
    return nullptr;
}

// A thread cancelled inside a wait sets no completion event and leaves the event it waited on
// usable; m_hThread reads 0 afterwards.
TEST(PortableThreadTest, TerminateThread) {
    TestEvent gate(1, 0), unwound(1, 0);
    Events events{gate, unwound};
    CPortableThread thread;
    thread.BeginThread("cancelled", BlockUntilCancelled, &events, nullptr);
    ShortPause();
    EXPECT_EQ(1, thread.TerminateThread(0));
    EXPECT_EQ(0u, thread.m_hThread);
    EXPECT_EQ(0u, WaitForPortableEvent(unwound, kGenerousMs));
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(thread.Handle(), 200));
    gate.SetPortableEvent();
    EXPECT_EQ(0u, WaitForPortableEvent(gate, 0));
}

void* SignalExitAfterGate(void* arg) {
    Events* events = static_cast<Events*>(arg);
    thread_local SetOnDestruction exited;
    exited.event = events->done;
    WaitForPortableEvent(events->gate, kGenerousMs);
    return nullptr;
}

// Deleting the object of a running thread, or closing it (SIGQUIT ignored here), is safe: the
// thread still sets and frees its completion event afterwards, and AddressSanitizer sees no
// freed memory touched.
TEST(PortableThreadTest, DeleteOrCloseWhileRunning) {
    TestEvent gate(1, 0);
    CPortableThread* thread = new CPortableThread;
    thread->BeginThread("deleted", WaitForGateThen42, gate, nullptr);
    pthread_t const id = thread->m_hThread;
    delete thread;
    gate.SetPortableEvent();
    EXPECT_EQ(0, pthread_join(id, nullptr));

    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(0, sigaction(SIGQUIT, &ignore, &previous));
    gate.ResetEvent();
    TestEvent exited(1, 0);
    Events events{gate, exited};
    unsigned int threadId = 0;
    ClosePortableThread(_beginthreadex("closed", 0, SignalExitAfterGate, &events, 0, &threadId));
    gate.SetPortableEvent();
    EXPECT_EQ(0u, WaitForPortableEvent(exited, kGenerousMs));
    sigaction(SIGQUIT, &previous, nullptr);
}

// A thread started by BeginThread is asked for round-robin priority 1, permitted or not, gets
// it exactly when the request succeeds, and starts and reports its identifier either way.
void ExpectPolicyOfNewThread() {
    TestEvent gate(1, 0);
    CPortableThread thread;
    unsigned int id = 0;
    g_request = SchedulingRequest{};
    thread.BeginThread("scheduled", WaitForGateThen42, gate, &id);
    EXPECT_NE(0u, id);
    EXPECT_EQ(thread.m_hThread, g_request.thread);
    EXPECT_EQ(SCHED_RR, g_request.policy);
    EXPECT_EQ(1, g_request.priority);
    int policy = -1;
    sched_param param;
    pthread_getschedparam(thread.m_hThread, &policy, &param);
    EXPECT_EQ(g_request.result == 0 ? SCHED_RR : SCHED_OTHER, policy);
    gate.SetPortableEvent();
    EXPECT_EQ(0u, WaitForPortableThread(&thread, kGenerousMs));
}

// Real-time scheduling asked for always, granted when permitted. A privileged run also checks
// the unprivileged path from a thread that dropped CAP_SYS_NICE from its own effective set
// (capabilities are per thread, so the process keeps it).
TEST(PortableThreadTest, RealTimeSchedulingWhenPermitted) {
    ExpectPolicyOfNewThread();
    JoiningThread([] {
        __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (syscall(SYS_capget, &header, data) != 0) {
            return;
        }
        data[0].effective &= ~(1u << CAP_SYS_NICE);
        if (syscall(SYS_capset, &header, data) == 0) {
            ExpectPolicyOfNewThread();
        }
    });
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
