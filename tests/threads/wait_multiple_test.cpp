// WaitForMultipleObjects: results, registration, deadlines and the exception path.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "thread_test_support.h"

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
    // Sets `handle` from another thread once the caller has had time to block.
    std::unique_ptr<JoiningThread> SetLater(void* handle) {
        return std::unique_ptr<JoiningThread>(new JoiningThread([handle] {
            ShortPause();
            SetPortableEvent(handle);
        }));
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

// Wait for any returns the index of the event set during the wait, and leaves nothing registered.
TEST(WaitForMultipleObjectsTest, AnyReturnsIndexOfSetEvent) {
    EventArray array(3, 0);
    auto const setter = array.SetLater(array.handles[2]);
    EXPECT_EQ(2u, WaitForMultipleObjects(3, array.handles.data(), 0, kGenerousMs));
    EXPECT_TRUE(array.NoneRegistered());
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
    auto const manualSetter = manual.SetLater(manual.handles[2]);
    EXPECT_EQ(0u, WaitForMultipleObjects(3, manual.handles.data(), 1, kGenerousMs));
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
        auto const setter = array.SetLater(array.handles[64]);
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
