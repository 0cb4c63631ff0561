// velqontools.h - full path names, the system clock and date validation.
//
// Thread-safety: no function here keeps state of its own. SetSystemTime changes the clock of the
// whole system and reads the C library's process-wide time-zone settings.
#ifndef VELQON_TOOLS_H
#define VELQON_TOOLS_H

#define VELQON_API __attribute__((visibility("default")))

// A broken-down date and time. Fixed shape: nine unsigned 16-bit fields in this order.
struct _SYSTEMTIME {
    unsigned short wYear;          // full year, e.g. 2024
    unsigned short wMonth;         // 1-12
    unsigned short wDayOfWeek;     // 0-6, 0 = Sunday; written by GetSystemTime, otherwise ignored
    unsigned short wDay;           // 1-31
    unsigned short wHour;          // 0-23
    unsigned short wMinute;        // 0-59
    unsigned short wSecond;        // 0-59
    unsigned short wMilliseconds;  // 0-999
    unsigned short wIsDst;         // tm_isdst convention: 0 standard time, non-zero summer time
};
typedef _SYSTEMTIME SYSTEMTIME;

// A count of 100-nanosecond intervals since 1601-01-01 00:00:00 UTC, split in two halves.
// Fixed shape: two unsigned 32-bit fields, low half first.
struct _FILETIME {
    unsigned int dwLowDateTime;
    unsigned int dwHighDateTime;
};
typedef _FILETIME FILETIME;

// Writes the working directory, a slash and `name` into `buffer` of `bufferLength` bytes and
// returns the length written (terminator not counted). The name is appended unchanged: an
// absolute name gives two consecutive slashes, and "." and ".." are not resolved. Returns 0 and
// leaves `buffer` untouched when the working directory cannot be read (also when it is longer
// than 1023 characters) or when the result and its terminator do not fit; the result is never
// cut. `filePart` is neither read nor written.
VELQON_API unsigned int GetFullPathName(char const* name, unsigned int bufferLength, char* buffer,
                                        char** filePart);

// 1 when the record holds a real calendar date and time from 1980-01-01 00:00:00.000 to
// 2037-12-31 23:59:59.999 (29 February only in leap years, 2000 included), else 0. The day of
// week and the daylight-saving flag are not examined. `time` must not be null.
VELQON_API int bValidateDateTime(_SYSTEMTIME const* time);
// 1 when the file time, read as a signed 64-bit count, lies from 1980-01-01 00:00:00 to
// 2037-12-31 23:59:59.0000000 inclusive (any later fraction of that last second is refused),
// else 0. `time` must not be null.
VELQON_API int bValidateFileTimeRange(_FILETIME* time);

extern "C" {
// Fills `time` with the current UTC time from gettimeofday, milliseconds included, the day of
// week set and the daylight-saving flag 0. Never fails.
VELQON_API void GetSystemTime(_SYSTEMTIME* time);
// Sets the system clock to the record read as UTC, to the millisecond: 1 on success, 0 when the
// record is null, fails bValidateDateTime, falls on a local date before 1980, or when
// settimeofday refuses (typically for lack of privilege); the clock is then unchanged.
// The fields go through mktime with the record's daylight-saving flag and are then moved by the
// zone's standard offset, so a flag of 0 gives exactly the UTC time and a non-zero flag, which
// marks the fields as daylight-saving time (an hour ahead of standard time), one hour earlier.
// When the C library reports no zone name (tzname[0] unset), the fields are read directly as
// UTC and the flag plays no part.
VELQON_API int SetSystemTime(_SYSTEMTIME* time);
// Kept so that programs calling it still link: reads no argument and returns 0.
VELQON_API int optdb_compare();
}

#undef VELQON_API
#endif  // VELQON_TOOLS_H
