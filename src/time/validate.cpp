// Validators for date records and file times, limited to 1980-01-01 .. 2037-12-31 23:59:59.
#include "velqontools.h"

namespace {

bool IsLeapYear(unsigned year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

}  // namespace

int bValidateDateTime(_SYSTEMTIME const* time) {
    static unsigned short const daysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (time->wYear < 1980 || time->wYear > 2037) {
        return 0;
    }
    if (time->wHour > 23 || time->wMinute > 59 || time->wSecond > 59 || time->wMilliseconds > 999) {
        return 0;
    }
    if (time->wMonth < 1 || time->wMonth > 12) {
        return 0;
    }
    if (time->wDay == 0) {
        return 0;
    }
    if (time->wDay <= daysInMonth[time->wMonth - 1]) {
        return 1;
    }
    return time->wMonth == 2 && time->wDay == 29 && IsLeapYear(time->wYear) ? 1 : 0;
}

int bValidateFileTimeRange(_FILETIME* time) {
    // 100-ns intervals since 1601 of 1980-01-01 00:00:00 and of 2037-12-31 23:59:59.
    long long const first = 119600064000000000LL;
    long long const last = 137903903990000000LL;
    long long const value = static_cast<long long>(
        (static_cast<unsigned long long>(time->dwHighDateTime) << 32) | time->dwLowDateTime);
    return first <= value && value <= last ? 1 : 0;
}
