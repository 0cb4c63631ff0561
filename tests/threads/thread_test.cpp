// Events, multi-object waits (their stress test too), threads and gettid.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <linux/capability.h>
#include <sched.h>
#include <signal.h>
#include <sys/syscall.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "threads.h"

// The exported C++ symbol itself, whatever <unistd.h> declares.
int ExportedGettid() __asm__("_Z6gettidv");

namespace {
// The last pthread_setschedparam call and its result.
struct SchedulingRequest {
    pthread_t thread;
    int policy, priority, result;
} lastRequest;
}  // namespace

// Interposed for this executable: records the library's scheduling requests, then makes them.
extern "C" int pthread_setschedparam(pthread_t thread, int policy,
                                     sched_param const* param) noexcept {
    static auto const real = reinterpret_cast<int (*)(pthread_t, int, sched_param const*)>(
        dlsym(RTLD_NEXT, "pthread_setschedparam"));
    lastRequest = {thread, policy, param->sched_priority, real(thread, policy, param)};
    return lastRequest.result;
}

namespace {

// Events closed with the object, and the handle array to pass.
struct EventArray {
    EventArray(unsigned int count, int manualReset) {
        for (unsigned int i = 0; i < count; ++i) {
            handles.push_back(events.emplace_back(manualReset, 0));
        }
    }
    bool NoneRegistered() const {
        return std::none_of(handles.begin(), handles.end(), [](void* handle) {
            return handle != nullptr && static_cast<CPortableEventData*>(handle)->postActive;
        });
    }
    std::deque<TestEvent> events;
    std::vector<void*> handles;
};

// Reset modes, forwarding names, the invalid handle, an object that keeps its event, the dumps.
TEST(EventTest, ResetModesForwardersAndDumps) {
    for (int manual = 0; manual <= 1; ++manual) {
        void* event = GetCreatePortableEvent(nullptr, manual, 1, "ignored");
        EXPECT_EQ(0u, GetWaitForPortableEvent(event, kInfinite));
        EXPECT_EQ(1, manual ? ResetEvent(event) : GetResetPortableEvent(event));
        EXPECT_EQ(kTimedOut, GetWaitForPortableEvent(event, 0));
        EXPECT_EQ(1, SetPortableEvent(event));
        EXPECT_EQ(manual ? 0u : kTimedOut, WaitForPortableEvent(event, 0)) << manual;
        EXPECT_EQ(1, ResetPortableEvent(event));
        EXPECT_EQ(kTimedOut, WaitForPortableEvent(event, 0));
        ClosePortableEvent(event);
    }
    EXPECT_EQ(1, SetPortableEvent(reinterpret_cast<void*>(~0ul)));
    CPortableEvent unowned(0);  // closed below, so its destructor must not close it again
    EXPECT_TRUE(!unowned.IsOK() && unowned.CreatePortableEvent(nullptr, 1, 1, nullptr) == 1 &&
                unowned.IsOK());
    char expected[64];
    snprintf(expected, sizeof expected, "event 0x%lx set = 1\n",
             reinterpret_cast<unsigned long>(unowned.m_hEvent));
    testing::internal::CaptureStdout();
    DumpEvent(unowned);
    unowned.ResetEvent();
    unowned.Dump();
    EXPECT_EQ(std::string(expected) + "CPortableEvent: cond->set 0\n",
              testing::internal::GetCapturedStdout());
    ClosePortableEvent(unowned);
}

// One auto-reset set releases exactly one of two waiters; a manual-reset set releases all.
TEST(EventTest, SetReleasesOneWaiterOrAll) {
    for (int manual = 0; manual <= 1; ++manual) {
        TestEvent event(manual, 0);
        std::atomic<int> released(0);
        auto waiter = [&] { released += WaitForPortableEvent(event, kGenerousMs) == 0; };
        {
            JoiningThread first(waiter), second(waiter);
            ShortPause();
            event.SetPortableEvent();
            if (!manual) {
                ShortPause();
                EXPECT_EQ(1, released.load());
                event.SetPortableEvent();
            }
        }
        EXPECT_EQ(2, released.load()) << "manual " << manual;
    }
}

// Post targets; results without blocking; removal clears every non-null entry, registered or not.
TEST(WaitForMultipleObjectsTest, PostTargetsAndResultsWithoutBlocking) {
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    unsigned int first = 0, second = 0;
    bool alreadySet = true;
    EventArray array(4, 1);
    array.handles[1] = nullptr;
    SetPortableEvent(array.handles[2]);
    AddPostTargetAndIndex(array.handles[3], &cond, &mutex, 7, &first, &alreadySet);
    EXPECT_FALSE(alreadySet);
    AddPostTargetAndIndex(array.handles[3], &cond, &mutex, 9, &second, &alreadySet);
    SetPortableEvent(array.handles[3]);
    EXPECT_TRUE(first == 0 && second == 9);
    void* nulls[2] = {nullptr, nullptr};
    EXPECT_EQ(0u, WaitForMultipleObjects(0, nullptr, 0, kInfinite));
    EXPECT_EQ(0u, WaitForMultipleObjects(2, nulls, 0, kInfinite));
    EXPECT_EQ(0u, WaitForMultipleObjects(2, nulls, 1, kInfinite));
    EXPECT_EQ(2u, WaitForMultipleObjects(4, array.handles.data(), 0, kInfinite));
    EXPECT_TRUE(array.NoneRegistered());
    second = 0;
    SetPortableEvent(array.handles[3]);
    EXPECT_EQ(0u, second);
}

// Sets landing while the waiter still registers are all seen; wait for any reports the lowest.
TEST(WaitForMultipleObjectsTest, AnyReportsLowestOfSeveralSets) {
    EventArray array(4, 1);
    pthread_mutex_t& lastRegistration =
        static_cast<CPortableEventData*>(array.handles[3])->postLock;
    CPortableEventData* const third = static_cast<CPortableEventData*>(array.handles[2]);
    pthread_mutex_lock(&lastRegistration);
    JoiningThread waiter([&] {
        ExpectPrompt(0u, [&](unsigned int ms) {
            return WaitForMultipleObjects(4, array.handles.data(), 0, ms);
        });
    });
    for (bool registered = false; !registered; ShortPause()) {
        pthread_mutex_lock(&third->postLock);
        registered = third->postActive;
        pthread_mutex_unlock(&third->postLock);
    }
    for (int i : {2, 0, 1}) {
        SetPortableEvent(array.handles[i]);
    }
    pthread_mutex_unlock(&lastRegistration);
}

#ifndef VELQON_CHECKED
// Beyond 64 handles: all waits to the deadline, a set at 64 throws, no registration is left.
TEST(WaitForMultipleObjectsTest, BeyondSixtyFourThrowsAndCleansUp) {
    EventArray array(66, 1);
    EXPECT_EQ(kTimedOut, WaitForMultipleObjects(66, array.handles.data(), 1, 0));
    {
        auto const setter = SetLater(array.handles[64]);
        try {
            WaitForMultipleObjects(66, array.handles.data(), 0, kInfinite);
            ADD_FAILURE() << "no exception";
        } catch (std::out_of_range const& error) {
            EXPECT_EQ(0u, std::string(error.what()).rfind("bitset::set", 0)) << error.what();
        }
    }
    EXPECT_TRUE(array.NoneRegistered());
    EXPECT_THROW(WaitForMultipleObjects(66, array.handles.data(), 1, 0), std::out_of_range);
}
#endif

// Sets racing with registrations, wake-ups and each other: each is reported once, none invented.
TEST(WaitForMultipleObjectsStressTest, NoSetLostNoneInvented) {
    constexpr unsigned int kSetters = 3;
    constexpr int kRounds = 10000;
    // Setter i marks itself pending, sets its event and awaits the ack; group 2 waits for all.
    struct Group {
        EventArray events{kSetters, 1}, acks{kSetters, 1};
        std::atomic<bool> pending[kSetters] = {};
        int returns[kSetters] = {};
    } groups[3];
    {
        std::vector<std::unique_ptr<JoiningThread>> threads;
        for (int g = 0; g < 3; ++g) {
            Group& group = groups[g];
            for (unsigned int i = 0; i < kSetters; ++i) {
                threads.push_back(std::make_unique<JoiningThread>([&group, i] {
                    for (int round = 0; round < kRounds; ++round) {
                        group.pending[i] = true;
                        SetPortableEvent(group.events.handles[i]);
                        ASSERT_EQ(0u, WaitForPortableEvent(group.acks.handles[i], kGenerousMs));
                        ResetPortableEvent(group.acks.handles[i]);
                    }
                }));
            }
            threads.push_back(std::make_unique<JoiningThread>([&group,
                                                               all = static_cast<int>(g == 2)] {
                for (int done = 0; done < kRounds * static_cast<int>(all ? 1 : kSetters); ++done) {
                    unsigned int const index = WaitForMultipleObjects(
                        kSetters, group.events.handles.data(), all, kGenerousMs);
                    ASSERT_GT(all ? 1u : kSetters, index) << "a set was lost";
                    for (unsigned int i = 0; i < kSetters; ++i) {
                        if (all || i == index) {
                            ASSERT_TRUE(group.pending[i].exchange(false)) << "invented set " << i;
                            ++group.returns[i];
                            ResetPortableEvent(group.events.handles[i]);
                            SetPortableEvent(group.acks.handles[i]);
                        }
                    }
                }
            }));
        }
    }
    for (Group const& group : groups) {
        EXPECT_EQ(std::vector<int>(kSetters, kRounds),
                  std::vector<int>(group.returns, group.returns + kSetters));
    }
}

void* WaitForGateThen42(void* gate) {
    WaitForPortableEvent(gate, kGenerousMs);
    return reinterpret_cast<void*>(42);
}

// Exit codes, the function's result, the completion event's pulse, and names cut to 127 chars.
TEST(PortableThreadTest, CompletionEventExitValueAndName) {
    TestEvent gate(1, 0);
    CPortableThread thread;
    unsigned int code = 0;
    std::atomic<unsigned int> waited(kTimedOut);
    {
        JoiningThread waiter([&] { waited = WaitForPortableEvent(thread.Handle(), kGenerousMs); });
        thread.BeginThread((std::string(127, 'n') + std::string(73, 'x')).c_str(),
                           WaitForGateThen42, gate, nullptr);
        EXPECT_EQ(std::string(127, 'n'), thread.m_szName);
        thread.GetExitCodeThread(&code);
        EXPECT_EQ(0xFFFFFFFFu, code);
        ShortPause();
        gate.SetPortableEvent();
    }
    EXPECT_EQ(0u, waited.load());
    for (int spins = 0; thread.GetExitCodeThread(&code) == 1 && code != 0 && spins < 60; ++spins) {
        ShortPause();
    }
    EXPECT_EQ(0u, code);
    void* result = nullptr;
    EXPECT_EQ(0, pthread_join(thread.m_hThread, &result));
    thread.m_hThread = 0;
    EXPECT_EQ(reinterpret_cast<void*>(42), result);
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(thread.Handle(), 0));
}

// An event set when the thread runs, a gate, and an event set when the thread exits, after the
// library is done with it.
struct Events {
    TestEvent running{1, 0}, gate{1, 0}, exited{1, 0};
};

void* WaitForGateUntilExit(void* arg) {
    Events& events = *static_cast<Events*>(arg);
    thread_local std::unique_ptr<void, int (*)(void*)> const atEnd(events.exited, SetPortableEvent);
    events.running.SetPortableEvent();
    WaitForPortableEvent(events.gate, kGenerousMs);
    return nullptr;
}

std::atomic<int> quits(0);

// A thread cancelled in a wait sets no completion event and leaves that wait's event usable.
TEST(PortableThreadTest, TerminateThread) {
    Events events;
    CPortableThread thread;
    thread.BeginThread("cancelled", WaitForGateUntilExit, &events, nullptr);
    ShortPause();
    EXPECT_EQ(1, thread.TerminateThread(0));
    EXPECT_EQ(0u, thread.m_hThread);
    EXPECT_EQ(0, thread.TerminateThread(0));
    EXPECT_EQ(0u, WaitForPortableEvent(events.exited, kGenerousMs));
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(thread.Handle(), 0));
    EXPECT_EQ(kTimedOut, WaitForPortableEvent(events.gate, 0));  // its mutex was released
}

// Closing a running thread sends SIGQUIT and deletes the object; the thread ends safely later.
TEST(PortableThreadTest, CloseWhileRunning) {
    Events events;
    struct sigaction count = {}, previous = {};
    count.sa_handler = [](int) { ++quits; };
    ASSERT_EQ(0, sigaction(SIGQUIT, &count, &previous));
    void* const handle = _beginthreadex("closed", 0, WaitForGateUntilExit, &events, 0, nullptr);
    // Under ThreadSanitizer a signal sent before the new thread has started running is lost.
    ASSERT_EQ(0u, WaitForPortableEvent(events.running, kGenerousMs));
    ClosePortableThread(handle);
    events.gate.SetPortableEvent();
    EXPECT_EQ(0u, WaitForPortableEvent(events.exited, kGenerousMs));
    EXPECT_EQ(1, quits.load());
    sigaction(SIGQUIT, &previous, nullptr);
}

// A new thread asks for round-robin priority 1, gets it only if granted, and starts either way
// (as "unknown thread" when unnamed); WaitForPortableThread joins it once.
void ExpectPolicyOfNewThread() {
    TestEvent gate(1, 0);
    unsigned int id = 0;
    lastRequest = SchedulingRequest{};
    void* const handle = _beginthreadex(nullptr, 0, WaitForGateThen42, gate, 0, &id);
    auto* const thread = static_cast<CPortableThread*>(handle);
    EXPECT_TRUE(id != 0 && lastRequest.thread == thread->m_hThread);
    EXPECT_TRUE(lastRequest.policy == SCHED_RR && lastRequest.priority == 1);
    EXPECT_STREQ("unknown thread", thread->m_szName);
    int policy = -1;
    sched_param param;
    pthread_getschedparam(thread->m_hThread, &policy, &param);
    EXPECT_EQ(lastRequest.result == 0 ? SCHED_RR : SCHED_OTHER, policy);
    auto const opener = SetLater(gate);
    EXPECT_EQ(0u, WaitForPortableThread(handle, kInfinite));
    EXPECT_EQ(0u, thread->m_hThread);
    EXPECT_EQ(0u, WaitForPortableThread(handle, 0));
    unsigned int code = 7;
    thread->GetExitCodeThread(&code);
    EXPECT_EQ(0u, code);
    ClosePortableThread(handle);
    ClosePortableThread(nullptr);
}

// Real-time scheduling as permitted; privileged, also from a thread without CAP_SYS_NICE.
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

// gettid is the kernel's thread identifier, through the exported symbol and <unistd.h>.
TEST(GettidTest, KernelThreadIdentifier) {
    int const kernel = static_cast<int>(syscall(SYS_gettid));
    EXPECT_EQ(kernel, ExportedGettid());
    EXPECT_EQ(kernel, gettid());
    int other = 0;
    JoiningThread([&] { other = ExportedGettid(); });
    EXPECT_NE(kernel, other);
}

}  // namespace
