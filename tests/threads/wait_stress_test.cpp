// Many threads setting events while others wait on them with WaitForMultipleObjects: every set
// is reported exactly once, nothing is lost and nothing is invented.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "threads.h"

namespace {

constexpr unsigned int kSetters = 3;
constexpr int kRounds = 10000;

// One waiter and its setters. Setter i marks itself pending, sets its manual-reset event and
// waits for the waiter's acknowledgement; the waiter resets what it was told about, then
// acknowledges. Sets race with registration, with each other and with the waiter's wake-up.
struct Group {
    Group() {
        for (unsigned int i = 0; i < kSetters; ++i) {
            events.emplace_back(new TestEvent(1, 0));
            acks.emplace_back(new TestEvent(1, 0));
            handles.push_back(*events.back());
        }
    }
    void Setter(unsigned int i) {
        for (int round = 0; round < kRounds; ++round) {
            pending[i].store(true);
            ++sets[i];
            SetPortableEvent(handles[i]);
            ASSERT_EQ(0u, WaitForPortableEvent(*acks[i], kGenerousMs)) << "setter " << i;
            acks[i]->ResetEvent();
        }
    }
    // The waiter saw event i set: it must be pending, and is reset and counted.
    void Take(unsigned int i) {
        ASSERT_TRUE(pending[i].exchange(false)) << "invented set of " << i;
        ++returns[i];
        ResetPortableEvent(handles[i]);
    }
    // Wait for any: each result names one event that was set and not yet reported. Wait for
    // all: each 0 comes only once every setter has set its event in this round.
    void Wait(int waitAll) {
        for (int done = 0; done < kRounds * (waitAll ? 1 : static_cast<int>(kSetters)); ++done) {
            unsigned int const index =
                WaitForMultipleObjects(kSetters, handles.data(), waitAll, kGenerousMs);
            ASSERT_GT(waitAll ? 1u : kSetters, index) << "a set was lost";
            for (unsigned int i = 0; i < kSetters; ++i) {
                if (waitAll || i == index) {
                    Take(i);
                }
            }
            for (unsigned int i = 0; i < kSetters; ++i) {
                if (waitAll || i == index) {
                    acks[i]->SetPortableEvent();
                }
            }
        }
    }
    std::vector<std::unique_ptr<TestEvent>> events, acks;
    std::vector<void*> handles;
    std::atomic<bool> pending[kSetters] = {};
    int sets[kSetters] = {};
    int returns[kSetters] = {};
};

// Two groups waiting for any and one waiting for all run side by side.
TEST(WaitForMultipleObjectsStressTest, NoSetLostNoneInvented) {
    Group groups[3];
    {
        std::vector<std::unique_ptr<JoiningThread>> threads;
        for (int g = 0; g < 3; ++g) {
            Group& group = groups[g];
            for (unsigned int i = 0; i < kSetters; ++i) {
                threads.emplace_back(new JoiningThread([&group, i] { group.Setter(i); }));
            }
            threads.emplace_back(new JoiningThread([&group, g] { group.Wait(g == 2); }));
        }
    }
    for (Group& group : groups) {
        for (unsigned int i = 0; i < kSetters; ++i) {
            EXPECT_EQ(kRounds, group.sets[i]);
            EXPECT_EQ(group.sets[i], group.returns[i]);
        }
    }
}

}  // namespace
