// Event latency against bare POSIX condition variables, and WaitForMultipleObjects over 64
// events against a condition variable guarding a 64-bit mask.
#include <benchmark/benchmark.h>
#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>

#include "VelqonThread.h"

namespace {

constexpr unsigned int kRetryMs = 1;

// Two events and a partner thread that answers each ping with a pong. The partner resets the
// ping it received (which changes nothing for an auto-reset event) before answering.
class EventPingPong {
public:
    explicit EventPingPong(int manualReset)
        : ping(CreatePortableEvent(nullptr, manualReset, 0, nullptr)),
          pong(CreatePortableEvent(nullptr, manualReset, 0, nullptr)),
          m_partner([this] {
              while (!m_stop.load()) {
                  if (WaitForPortableEvent(ping, kRetryMs) == 0) {
                      ResetPortableEvent(ping);
                      SetPortableEvent(pong);
                  }
              }
          }) {}
    ~EventPingPong() {
        m_stop = true;
        m_partner.join();
        ClosePortableEvent(ping);
        ClosePortableEvent(pong);
    }

    void* const ping;
    void* const pong;

private:
    std::atomic<bool> m_stop{false};
    std::thread m_partner;
};

// Round trips over two auto-reset events. A set is a pulse that is lost when the partner is not
// blocked at that moment (it may still be returning from its own set), so the pinging side sends
// again after 1 ms; "resent" counts how often that happened.
void BM_PingPongAutoResetEvents(benchmark::State& state) {
    EventPingPong events(0);
    long resent = 0;
    for (auto _ : state) {
        SetPortableEvent(events.ping);
        while (WaitForPortableEvent(events.pong, kRetryMs) != 0) {
            ++resent;
            SetPortableEvent(events.ping);
        }
    }
    state.counters["resent"] = static_cast<double>(resent);
}
BENCHMARK(BM_PingPongAutoResetEvents)->UseRealTime();

// Round trips over two manual-reset events, each reset by its receiver: no set is lost.
void BM_PingPongManualResetEvents(benchmark::State& state) {
    EventPingPong events(1);
    for (auto _ : state) {
        SetPortableEvent(events.ping);
        WaitForPortableEvent(events.pong, 0xFFFFFFFFu);
        ResetPortableEvent(events.pong);
    }
}
BENCHMARK(BM_PingPongManualResetEvents)->UseRealTime();

// Baseline: the same round trip over one pthread mutex, one condition variable and a turn flag.
void BM_PingPongPthreadCondition(benchmark::State& state) {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
    int turn = 0;  // 1: partner's turn, 0: ours, -1: stop
    std::thread partner([&] {
        pthread_mutex_lock(&mutex);
        for (;;) {
            while (turn == 0) {
                pthread_cond_wait(&cond, &mutex);
            }
            if (turn < 0) {
                break;
            }
            turn = 0;
            pthread_cond_signal(&cond);
        }
        pthread_mutex_unlock(&mutex);
    });
    for (auto _ : state) {
        pthread_mutex_lock(&mutex);
        turn = 1;
        pthread_cond_signal(&cond);
        while (turn != 0) {
            pthread_cond_wait(&cond, &mutex);
        }
        pthread_mutex_unlock(&mutex);
    }
    pthread_mutex_lock(&mutex);
    turn = -1;
    pthread_cond_signal(&cond);
    pthread_mutex_unlock(&mutex);
    partner.join();
}
BENCHMARK(BM_PingPongPthreadCondition)->UseRealTime();

// A helper thread that carries out one request at a time: the index to signal next.
class Signaller {
public:
    template <typename Signal>
    explicit Signaller(Signal signal)
        : m_thread([this, signal] {
              std::unique_lock<std::mutex> lock(m_mutex);
              for (;;) {
                  m_cond.wait(lock, [this] { return m_request != kNone; });
                  int const index = m_request;
                  m_request = kNone;
                  if (index == kStop) {
                      return;
                  }
                  lock.unlock();
                  signal(index);
                  lock.lock();
              }
          }) {}
    ~Signaller() {
        Request(kStop);
        m_thread.join();
    }
    void Request(int index) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_request = index;
        m_cond.notify_one();
    }

private:
    static constexpr int kNone = -1;
    static constexpr int kStop = -2;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    int m_request = kNone;
    std::thread m_thread;
};

// Wait for any over 64 manual-reset events while another thread sets one at a random index.
void BM_WaitForMultipleObjects64(benchmark::State& state) {
    void* handles[64];
    for (void*& handle : handles) {
        handle = CreatePortableEvent(nullptr, 1, 0, nullptr);
    }
    std::minstd_rand random(42);
    {
        Signaller signaller([&](int index) { SetPortableEvent(handles[index]); });
        for (auto _ : state) {
            int const index = static_cast<int>(random() % 64);
            signaller.Request(index);
            unsigned int const result = WaitForMultipleObjects(64, handles, 0, 0xFFFFFFFFu);
            if (result != static_cast<unsigned int>(index)) {
                state.SkipWithError("wrong index");
                break;
            }
            ResetPortableEvent(handles[index]);
        }
    }
    for (void* handle : handles) {
        ClosePortableEvent(handle);
    }
}
BENCHMARK(BM_WaitForMultipleObjects64)->UseRealTime();

// Baseline: the same wait over a pthread condition variable guarding a 64-bit mask.
void BM_PthreadConditionMask64(benchmark::State& state) {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
    unsigned long long mask = 0;
    std::minstd_rand random(42);
    Signaller signaller([&](int index) {
        pthread_mutex_lock(&mutex);
        mask |= 1ull << index;
        pthread_cond_signal(&cond);
        pthread_mutex_unlock(&mutex);
    });
    for (auto _ : state) {
        int const index = static_cast<int>(random() % 64);
        signaller.Request(index);
        pthread_mutex_lock(&mutex);
        while (mask == 0) {
            pthread_cond_wait(&cond, &mutex);
        }
        int const result = __builtin_ctzll(mask);
        mask = 0;
        pthread_mutex_unlock(&mutex);
        if (result != index) {
            state.SkipWithError("wrong index");
            break;
        }
    }
}
BENCHMARK(BM_PthreadConditionMask64)->UseRealTime();

}  // namespace
