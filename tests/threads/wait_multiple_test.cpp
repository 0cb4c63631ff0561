// WaitForMultipleObjects: results, registration, deadlines and the exception path.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "threads.h"

namespace {

// A set of events closed with the object, and the handle array to pass.
struct EventArray {
    EventArray(unsigned int count, int manualReset) {
        for (unsigned int i = 0; i < count; ++i) {
            events.emplace_back(new TestEvent(manualReset, 0));
            handles.push_back(*events.back());
        }
    }
    // No registration of any wait is left on any event.
    bool NoneRegistered() const {
        for (void* handle : handles) {
            if (handle != nullptr && static_cast<CPortableEventData*>(handle)->postActive) {
                return false;
            }
        }
        return true;
    }
    std::vector<std::unique_ptr<TestEvent>> events;
    std::vector<void*> handles;
};

// Nothing to wait for returns 0 at once, even without a time limit.
TEST(WaitForMultipleObjectsTest, NothingToWaitFor) {
    void* nulls[3] = {nullptr, nullptr, nullptr};
    EXPECT_EQ(0u, WaitForMultipleObjects(0, nullptr, 0, kInfinite));
    EXPECT_EQ(0u, WaitForMultipleObjects(3, nulls, 0, kInfinite));
    EXPECT_EQ(0u, WaitForMultipleObjects(3, nulls, 1, kInfinite));
}

// Sets that land before the waiter looks (here while its registration of the last entry is held
// up) are all seen, and wait for any reports the lowest of them, not the first or last set.
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

// Wait for any stops at an entry found signalled, without blocking; the removal step still
// clears every non-null entry, also ones it never registered (a post target placed there by
// someone else is gone afterwards).
TEST(WaitForMultipleObjectsTest, AnyStopsAtSignalledEntry) {
    EventArray array(6, 1);
    array.handles[1] = nullptr;
    SetPortableEvent(array.handles[3]);
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    unsigned int slot = 0;
    bool alreadySet = true;
    AddPostTargetAndIndex(array.handles[5], &cond, &mutex, 5, &slot, &alreadySet);
    EXPECT_FALSE(alreadySet);

    EXPECT_EQ(3u, WaitForMultipleObjects(6, array.handles.data(), 0, kInfinite));
    EXPECT_TRUE(array.NoneRegistered());
    SetPortableEvent(array.handles[5]);
    EXPECT_EQ(0u, slot);
}

// Wait for all counts entries already signalled and skips null ones; it ends when the last
// needed event is set, and auto-reset pulses that arrive together are all counted.
TEST(WaitForMultipleObjectsTest, AllCountsEverySet) {
    EventArray manual(3, 1);
    manual.handles[1] = nullptr;
    SetPortableEvent(manual.handles[0]);
    auto const manualSetter = SetLater(manual.handles[2]);
    ExpectPrompt(0u, [&](unsigned int ms) {
        return WaitForMultipleObjects(3, manual.handles.data(), 1, ms);
    });
    EXPECT_TRUE(manual.NoneRegistered());

    EventArray pulsed(3, 0);
    JoiningThread setter([&] {
        ShortPause();
        for (void* handle : pulsed.handles) {
            SetPortableEvent(handle);
        }
    });
    EXPECT_EQ(0u, WaitForMultipleObjects(3, pulsed.handles.data(), 1, kGenerousMs));
}

// Deadlines: zero never blocks, 200 ms ends with 258 after its full length.
TEST(WaitForMultipleObjectsTest, Timeouts) {
    EventArray array(2, 0);
    for (int waitAll = 0; waitAll <= 1; ++waitAll) {
        for (unsigned int ms : {0u, 200u}) {
            ExpectTimeout(ms, [&](unsigned int timeout) {
                return WaitForMultipleObjects(2, array.handles.data(), waitAll, timeout);
            });
        }
    }
    EXPECT_TRUE(array.NoneRegistered());
}

// More than 64 handles: a set at index 64, during the wait or before it, throws
// std::out_of_range from the 64-bit set and leaves no registration behind. (The checked build
// stops such a call instead.)
#ifndef VELQON_CHECKED
TEST(WaitForMultipleObjectsTest, BeyondSixtyFourThrowsAndCleansUp) {
    EventArray array(66, 1);
    {
        auto const setter = SetLater(array.handles[64]);
        try {
            WaitForMultipleObjects(66, array.handles.data(), 0, kGenerousMs);
            ADD_FAILURE() << "no exception";
        } catch (std::out_of_range const& error) {
            EXPECT_EQ(0u, std::string(error.what()).rfind("bitset::set", 0)) << error.what();
        }
    }
    EXPECT_TRUE(array.NoneRegistered());
    EXPECT_THROW(WaitForMultipleObjects(66, array.handles.data(), 1, kGenerousMs),
                 std::out_of_range);
    EXPECT_TRUE(array.NoneRegistered());
    EXPECT_EQ(0u, WaitForPortableEvent(array.handles[64], 0));  // the events still work
}
#endif

}  // namespace
