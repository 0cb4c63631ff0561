// CPortableTime: construction from seconds, calendar fields and MS-DOS words, and the broken-down
// views in UTC and local time.
#include <string.h>
#include <time.h>

#include "VelqonMFC.h"

// Deliberately leaves m_tTime unset: a time is a plain value that is assigned before it is read,
// and declaring one, or an array of them, then costs nothing.
CPortableTime::CPortableTime() {}

CPortableTime::CPortableTime(CPortableTime const& source) : m_tTime(source.m_tTime) {}

CPortableTime::CPortableTime(long seconds) : m_tTime(seconds) {}

CPortableTime& CPortableTime::operator=(long seconds) {
    m_tTime = seconds;
    return *this;
}

CPortableTime::CPortableTime(int year, int month, int day, int hour, int minute, int second,
                             int isDst) {
    struct tm fields;
    memset(&fields, 0, sizeof fields);
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = isDst;
    m_tTime = mktime(&fields);
}

CPortableTime::CPortableTime(unsigned short dosDate, unsigned short dosTime, int isDst) {
    struct tm fields;
    memset(&fields, 0, sizeof fields);
    fields.tm_sec = (dosTime & 0x1F) * 2;
    fields.tm_min = (dosTime >> 5) & 0x3F;
    fields.tm_hour = dosTime >> 11;
    fields.tm_mday = dosDate & 0x1F;
    fields.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
    fields.tm_year = (dosDate >> 9) + 80;
    fields.tm_isdst = isDst;
    m_tTime = mktime(&fields);
}

CPortableTime CPortableTime::GetCurrentTime() {
    return CPortableTime(time(nullptr));
}

struct tm* CPortableTime::GetGmtTm(struct tm* result) const {
    if (result == nullptr) {
        return gmtime(&m_tTime);  // NOLINT(concurrency-mt-unsafe): the shared record, as documented
    }
    return gmtime_r(&m_tTime, result);
}

struct tm* CPortableTime::GetLocalTm(struct tm* result) const {
    if (result == nullptr) {
        return localtime(&m_tTime);  // NOLINT(concurrency-mt-unsafe): as GetGmtTm
    }
    return localtime_r(&m_tTime, result);
}
