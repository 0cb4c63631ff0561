// Compile-time checks of the fixed shapes of the thread classes and the event record.
#include <stddef.h>

#include "VelqonThread.h"

// The classes have virtual destructors, so they are not standard-layout; g++ still lays out and
// measures their members the one way the checks below rely on.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

static_assert(offsetof(CPortableEventData, cond) == 0, "event record: cond first");
static_assert(offsetof(CPortableEventData, mutex) == 48, "event record: mutex");
static_assert(offsetof(CPortableEventData, set) == 88, "event record: set");
static_assert(offsetof(CPortableEventData, manualReset) == 92, "event record: manualReset");
static_assert(offsetof(CPortableEventData, postCond) == 96, "event record: postCond");
static_assert(offsetof(CPortableEventData, postMutex) == 104, "event record: postMutex");
static_assert(offsetof(CPortableEventData, postIndex) == 112, "event record: postIndex");
static_assert(offsetof(CPortableEventData, postIndexOut) == 120, "event record: postIndexOut");
static_assert(offsetof(CPortableEventData, postActive) == 128, "event record: postActive");
static_assert(offsetof(CPortableEventData, postLock) == 136, "event record: postLock");
static_assert(offsetof(CPortableEventData, postMarks) == 176, "event record: additions last");

// Both classes start with their virtual table pointer.
static_assert(sizeof(CPortableEvent) == 24, "CPortableEvent: vptr, m_hEvent, m_bCloseOnDestroy");
static_assert(offsetof(CPortableEvent, m_hEvent) == 8, "CPortableEvent: m_hEvent");
static_assert(offsetof(CPortableEvent, m_bCloseOnDestroy) == 16, "CPortableEvent: close flag");

static_assert(sizeof(CPortableThread) == 240, "CPortableThread: fixed size");
static_assert(offsetof(CPortableThread, m_pProc) == 8, "CPortableThread: m_pProc");
static_assert(offsetof(CPortableThread, m_pUser) == 16, "CPortableThread: m_pUser");
static_assert(offsetof(CPortableThread, m_hThread) == 24, "CPortableThread: m_hThread");
static_assert(offsetof(CPortableThread, m_attr) == 32, "CPortableThread: m_attr");
static_assert(offsetof(CPortableThread, m_event) == 88, "CPortableThread: m_event");
static_assert(offsetof(CPortableThread, m_szName) == 112, "CPortableThread: m_szName");
