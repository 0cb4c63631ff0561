// Checked build, events: null, invalid and closed handles stop the functions that need an open
// event; SetPortableEvent keeps accepting the invalid handle.
#include <stdio.h>

#include <string>

#include "VelqonThread.h"
#include "checked.h"

namespace {

void* const kInvalid = reinterpret_cast<void*>(-1L);

// The message for a handle that is not open, with the handle printed as the library prints it.
std::string NotOpen(char const* function, void* handle) {
    char text[160];
    snprintf(text, sizeof text, "%s: event handle %p is not open (closed or never created)",
             function, handle);
    return text;
}

// Null and invalid handles, where the function needs an open event.
TEST(CheckedEventTest, NullAndInvalidHandlesStop) {
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    unsigned int slot = 0;
    bool alreadySet = false;
    EXPECT_STOPS(WaitForPortableEvent(nullptr, 0), "WaitForPortableEvent: null event handle");
    EXPECT_STOPS(ResetPortableEvent(kInvalid), "ResetPortableEvent: invalid event handle");
    EXPECT_STOPS(ClosePortableEvent(nullptr), "ClosePortableEvent: null event handle");
    EXPECT_STOPS(AddPostTargetAndIndex(kInvalid, &cond, &mutex, 0, &slot, &alreadySet),
                 "AddPostTargetAndIndex: invalid event handle");
    EXPECT_STOPS(RemovePostTarget(nullptr, &cond, &mutex), "RemovePostTarget: null event handle");
    EXPECT_STOPS(SetPortableEvent(nullptr), "SetPortableEvent: null event handle");
    EXPECT_EQ(1, SetPortableEvent(kInvalid));
}

// A closed handle, also inside the array of a multi-object wait, and a second close.
TEST(CheckedEventTest, ClosedHandleStops) {
    void* const closed = CreatePortableEvent(nullptr, 1, 1, nullptr);
    EXPECT_EQ(0u, WaitForPortableEvent(closed, 0));
    ClosePortableEvent(closed);
    EXPECT_STOPS(WaitForPortableEvent(closed, 0), NotOpen("WaitForPortableEvent", closed));
    EXPECT_STOPS(ClosePortableEvent(closed), NotOpen("ClosePortableEvent", closed));
    void* handles[2] = {nullptr, closed};
    EXPECT_STOPS(WaitForMultipleObjects(2, handles, 0, 0),
                 NotOpen("WaitForMultipleObjects", closed));
}

// A thread handle given as an event stops, with a message that points to WaitForPortableThread.
TEST(CheckedEventTest, ThreadHandleStops) {
    unsigned int id = 0;
    void* const thread = _beginthreadex(
        "checked", 0, [](void*) -> void* { return nullptr; }, nullptr, 0, &id);
    EXPECT_EQ(0u, WaitForPortableThread(thread, 4294967295u));  // no thread left while forking
    auto const isThread = [thread](char const* function) {
        char text[320];
        snprintf(text, sizeof text,
                 "%s: handle %p is a thread, not an event: wait for its end with "
                 "WaitForPortableThread, or on an event its function sets (its Handle() is set "
                 "once, as the function returns, and a later wait misses it)",
                 function, thread);
        return std::string(text);
    };
    void* handles[2] = {nullptr, thread};
    EXPECT_STOPS(WaitForMultipleObjects(2, handles, 1, 4294967295u),
                 isThread("WaitForMultipleObjects"));
    EXPECT_STOPS(WaitForPortableEvent(thread, 4294967295u), isThread("WaitForPortableEvent"));
    EXPECT_STOPS(ClosePortableEvent(thread), isThread("ClosePortableEvent"));
    ClosePortableThread(thread);
}

// More than 64 handles stop the wait before anything is registered.
TEST(CheckedEventTest, MoreThanSixtyFourHandlesStop) {
    void* handles[65] = {};
    EXPECT_STOPS(WaitForMultipleObjects(65, handles, 0, 0),
                 "WaitForMultipleObjects: 65 handles, at most 64 allowed");
}

// The completion event of a thread object stays open while the thread object lives, whatever
// the thread has done with its own hold.
TEST(CheckedEventTest, ThreadCompletionEventStaysOpen) {
    unsigned int id = 0;
    void* const thread = _beginthreadex(
        "checked", 0, [](void*) -> void* { return nullptr; }, nullptr, 0, &id);
    EXPECT_EQ(0u, WaitForPortableThread(thread, 4294967295u));
    void* const completion = static_cast<CPortableThread*>(thread)->Handle();
    EXPECT_EQ(1, ResetPortableEvent(completion));
    EXPECT_EQ(258u, WaitForPortableEvent(completion, 0));
    ClosePortableThread(thread);
}

}  // namespace
