// Reading and setting the system clock through _SYSTEMTIME records.
#include <sys/time.h>
#include <time.h>

#include "velqontools.h"

void GetSystemTime(_SYSTEMTIME* time) {
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm fields;
    gmtime_r(&now.tv_sec, &fields);
    time->wYear = static_cast<unsigned short>(fields.tm_year + 1900);
    time->wMonth = static_cast<unsigned short>(fields.tm_mon + 1);
    time->wDayOfWeek = static_cast<unsigned short>(fields.tm_wday);
    time->wDay = static_cast<unsigned short>(fields.tm_mday);
    time->wHour = static_cast<unsigned short>(fields.tm_hour);
    time->wMinute = static_cast<unsigned short>(fields.tm_min);
    time->wSecond = static_cast<unsigned short>(fields.tm_sec);
    time->wMilliseconds = static_cast<unsigned short>(now.tv_usec / 1000);
    time->wIsDst = static_cast<unsigned short>(fields.tm_isdst);
}

namespace {

// The record's calendar fields as a tm (day of week and milliseconds left out).
struct tm CalendarFields(_SYSTEMTIME const& time) {
    struct tm fields = {};
    fields.tm_year = time.wYear - 1900;
    fields.tm_mon = time.wMonth - 1;
    fields.tm_mday = time.wDay;
    fields.tm_hour = time.wHour;
    fields.tm_min = time.wMinute;
    fields.tm_sec = time.wSecond;
    fields.tm_isdst = time.wIsDst;
    return fields;
}

// The record read as UTC through mktime: mktime reads the fields as local time with the
// record's daylight-saving flag, then the zone's standard offset moves the result back. With a
// flag of 0 that is exactly the UTC reading of the fields in every zone; a non-zero flag marks
// the fields as daylight-saving time, an hour ahead of standard time, and makes it one hour
// earlier. When the C library has no zone name (glibc always supplies one) the offset means
// nothing, so the fields are converted as UTC directly.
time_t RecordAsUtc(_SYSTEMTIME const& time) {
    struct tm fields = CalendarFields(time);
    time_t const local = mktime(&fields);  // also loads tzname and timezone
    if (tzname[0] == nullptr || tzname[0][0] == '\0') {
        fields = CalendarFields(time);
        return timegm(&fields);
    }
    return local - timezone;
}

}  // namespace

int SetSystemTime(_SYSTEMTIME* time) {
    if (time == nullptr || !bValidateDateTime(time)) {
        return 0;
    }
    struct timeval target;
    target.tv_sec = RecordAsUtc(*time);
    target.tv_usec = static_cast<suseconds_t>(time->wMilliseconds) * 1000;
    // Refuse an instant whose local date is before 1980, the epoch of the MS-DOS date words and
    // the start of the span the validators accept.
    struct tm local;
    if (localtime_r(&target.tv_sec, &local) == nullptr || local.tm_year <= 79) {
        return 0;
    }
    return settimeofday(&target, nullptr) >= 0 ? 1 : 0;
}
