// Compile-time checks of the fixed layouts of the time subsystem: the time values, embedded in
// file status records, and the two date records that callers fill field by field.
#include <stddef.h>

#include "VelqonMFC.h"
#include "velqontools.h"

static_assert(sizeof(time_t) == 8, "time values hold a 64-bit time_t");
static_assert(sizeof(CPortableTime) == 8, "CPortableTime is one time_t");
static_assert(sizeof(CPortableTimeSpan) == 8, "CPortableTimeSpan is one time_t");

static_assert(sizeof(_SYSTEMTIME) == 18, "_SYSTEMTIME is nine 16-bit fields");
static_assert(offsetof(_SYSTEMTIME, wMonth) == 2, "_SYSTEMTIME field order");
static_assert(offsetof(_SYSTEMTIME, wDayOfWeek) == 4, "_SYSTEMTIME field order");
static_assert(offsetof(_SYSTEMTIME, wDay) == 6, "_SYSTEMTIME field order");
static_assert(offsetof(_SYSTEMTIME, wMilliseconds) == 14, "_SYSTEMTIME field order");
static_assert(offsetof(_SYSTEMTIME, wIsDst) == 16, "_SYSTEMTIME field order");

static_assert(sizeof(_FILETIME) == 8, "_FILETIME is two 32-bit halves");
static_assert(offsetof(_FILETIME, dwHighDateTime) == 4, "_FILETIME: low half first");
