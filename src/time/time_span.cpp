// CPortableTimeSpan: splitting a signed count of seconds into days, hours, minutes and seconds.
//
// The totals are returned as int and so kept to their low 32 bits; the parts are then
// differences of those 32-bit totals. Those differences are computed in unsigned
// arithmetic so that they wrap (exactly as 32-bit machine arithmetic does) instead of
// overflowing, which keeps each part exact for any 64-bit value.
#include "VelqonMFC.h"

// Deliberately leaves m_tSpan unset: a span is a plain value, assigned before it is read.
CPortableTimeSpan::CPortableTimeSpan() {}

long CPortableTimeSpan::GetTotalSeconds() const {
    return m_tSpan;
}

int CPortableTimeSpan::GetTotalMinutes() const {
    return static_cast<int>(m_tSpan / 60);
}

int CPortableTimeSpan::GetTotalHours() const {
    return static_cast<int>(m_tSpan / 3600);
}

int CPortableTimeSpan::GetDays() const {
    return static_cast<int>(m_tSpan / 86400);
}

int CPortableTimeSpan::GetHours() const {
    return static_cast<int>(static_cast<unsigned>(GetTotalHours()) -
                            static_cast<unsigned>(GetDays()) * 24u);
}

int CPortableTimeSpan::GetMinutes() const {
    return static_cast<int>(static_cast<unsigned>(GetTotalMinutes()) -
                            static_cast<unsigned>(GetTotalHours()) * 60u);
}

int CPortableTimeSpan::GetSeconds() const {
    return static_cast<int>(static_cast<unsigned>(m_tSpan) -
                            static_cast<unsigned>(GetTotalMinutes()) * 60u);
}
