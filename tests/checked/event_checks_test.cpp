// Checked build, events: the handles that stop the functions needing an open event.
#include <stdio.h>

#include <string>

#include "VelqonThread.h"
#include "checked.h"

namespace {

void* const kInvalid = reinterpret_cast<void*>(-1L);

// "<function>: <format with the handle>", with the handle printed as the library prints it.
std::string Message(char const* function, char const* format, void* handle) {
    char text[320];
    snprintf(text, sizeof text, format, handle);
    return std::string(function) + ": " + text;
}

// Null and invalid handles, where the function needs an open event; more than 64 handles.
TEST(CheckedEventTest, NullAndInvalidHandlesStop) {
    EXPECT_STOPS(WaitForPortableEvent(nullptr, 0), "WaitForPortableEvent: null event handle");
    EXPECT_STOPS(ResetPortableEvent(kInvalid), "ResetPortableEvent: invalid event handle");
    EXPECT_STOPS(ClosePortableEvent(nullptr), "ClosePortableEvent: null event handle");
    EXPECT_STOPS(AddPostTargetAndIndex(kInvalid, nullptr, nullptr, 0, nullptr, nullptr),
                 "AddPostTargetAndIndex: invalid event handle");
    EXPECT_STOPS(RemovePostTarget(nullptr, nullptr, nullptr),
                 "RemovePostTarget: null event handle");
    EXPECT_STOPS(SetPortableEvent(nullptr), "SetPortableEvent: null event handle");
    EXPECT_EQ(1, SetPortableEvent(kInvalid));
    void* handles[65] = {};
    EXPECT_STOPS(WaitForMultipleObjects(65, handles, 0, 0),
                 "WaitForMultipleObjects: 65 handles, at most 64 allowed");
}

// A closed handle, also inside the array of a multi-object wait.
TEST(CheckedEventTest, ClosedHandleStops) {
    void* const closed = CreatePortableEvent(nullptr, 1, 1, nullptr);
    ClosePortableEvent(closed);
    char const* const notOpen = "event handle %p is not open (closed or never created)";
    EXPECT_STOPS(WaitForPortableEvent(closed, 0), Message("WaitForPortableEvent", notOpen, closed));
    void* handles[2] = {nullptr, closed};
    EXPECT_STOPS(WaitForMultipleObjects(2, handles, 0, 0),
                 Message("WaitForMultipleObjects", notOpen, closed));
}

// A thread handle given as an event stops; its completion event stays open with the object.
TEST(CheckedEventTest, ThreadHandleStops) {
    void* const thread = _beginthreadex(
        "checked", 0, [](void*) -> void* { return nullptr; }, nullptr, 0, nullptr);
    EXPECT_EQ(0u, WaitForPortableThread(thread, 4294967295u));  // no thread left while forking
    void* const completion = static_cast<CPortableThread*>(thread)->Handle();
    EXPECT_EQ(1, ResetPortableEvent(completion));
    EXPECT_EQ(258u, WaitForPortableEvent(completion, 0));
    char const* const isThread =
        "handle %p is a thread, not an event: wait for its end with WaitForPortableThread, or on "
        "an event its function sets (its Handle() is set once, as the function returns, and a "
        "later wait misses it)";
    void* handles[2] = {nullptr, thread};
    EXPECT_STOPS(WaitForMultipleObjects(2, handles, 1, 4294967295u),
                 Message("WaitForMultipleObjects", isThread, thread));
    EXPECT_STOPS(WaitForPortableEvent(thread, 4294967295u),
                 Message("WaitForPortableEvent", isThread, thread));
    EXPECT_STOPS(ClosePortableEvent(thread), Message("ClosePortableEvent", isThread, thread));
    ClosePortableThread(thread);
}

}  // namespace
