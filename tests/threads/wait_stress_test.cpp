// Many threads setting events while others wait on them with WaitForMultipleObjects: every set
// is reported exactly once, nothing is lost and nothing is invented.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "thread_test_support.h"

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
            if (WaitForPortableEvent(*acks[i], kGenerousMs) != 0) {
                ADD_FAILURE() << "no acknowledgement for setter " << i;
                return;
            }
            acks[i]->ResetEvent();
        }
    }
    // Wait for any: each result names one event that was set and not yet reported.
    void WaitAny() {
        for (int done = 0; done < kRounds * static_cast<int>(kSetters); ++done) {
            unsigned int const index =
                WaitForMultipleObjects(kSetters, handles.data(), 0, kGenerousMs);
            ASSERT_GT(kSetters, index) << "a set was lost";
            ASSERT_TRUE(pending[index].exchange(false)) << "invented index " << index;
            ++returns[index];
            ResetPortableEvent(handles[index]);
            acks[index]->SetPortableEvent();
        }
    }
    // Wait for all: each 0 comes only once every setter has set its event in this round.
    void WaitAll() {
        for (int round = 0; round < kRounds; ++round) {
            ASSERT_EQ(0u, WaitForMultipleObjects(kSetters, handles.data(), 1, kGenerousMs))
                << "a set was lost";
            for (unsigned int i = 0; i < kSetters; ++i) {
                ASSERT_TRUE(pending[i].exchange(false)) << "invented set of " << i;
                ++returns[i];
                ResetPortableEvent(handles[i]);
            }
            for (unsigned int i = 0; i < kSetters; ++i) {
                acks[i]->SetPortableEvent();
            }
        }
    }
    std::vector<std::unique_ptr<TestEvent>> events;
    std::vector<std::unique_ptr<TestEvent>> acks;
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
            threads.emplace_back(new JoiningThread([&group, g] {
                if (g < 2) {
                    group.WaitAny();
                } else {
                    group.WaitAll();
                }
            }));
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
