// CPortableEvent: one event handle held as an object.
#include <stdio.h>

#include "threads/threads_internal.h"

using velqon_internal::kInvalidEvent;

CPortableEvent::CPortableEvent(int bCloseOnDestroy)
    : m_hEvent(kInvalidEvent), m_bCloseOnDestroy(bCloseOnDestroy) {}

CPortableEvent::~CPortableEvent() {
    if (m_bCloseOnDestroy != 0 && m_hEvent != kInvalidEvent) {
        ::ClosePortableEvent(m_hEvent);
        m_hEvent = kInvalidEvent;
    }
}

int CPortableEvent::CreatePortableEvent(void* security, int manualReset, int initialState,
                                        char const* name) {
    m_hEvent = ::CreatePortableEvent(security, manualReset, initialState, name);
    return m_hEvent != kInvalidEvent ? 1 : 0;
}

int CPortableEvent::SetPortableEvent() {
    return ::SetPortableEvent(m_hEvent);
}

int CPortableEvent::ResetEvent() {
    return ::ResetPortableEvent(m_hEvent);
}

int CPortableEvent::IsOK() {
    return m_hEvent != nullptr && m_hEvent != kInvalidEvent ? 1 : 0;
}

CPortableEvent::operator void*() const {
    return m_hEvent;
}

void CPortableEvent::Dump() {
    printf("CPortableEvent: cond->set %d\n",
           __atomic_load_n(&velqon_internal::EventRecord(m_hEvent, "CPortableEvent::Dump")->set,
                           __ATOMIC_RELAXED));
}
