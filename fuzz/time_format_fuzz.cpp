// Time values for any value, format and zone against the C library: broken-down views, Format
// (strftime into 128 bytes: "" when longer, never cut), span parts (32-bit totals, wrapping) and
// Format ("%D" "%d", "%H" "%02d", "%x" x, nothing cut, a final "%" dropped), the validators.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "VelqonMFC.h"
#include "fuzz_input.h"
#include "velqontools.h"

namespace {

std::string ReferenceSpanFormat(std::string const& format, int const (&parts)[4]) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        char text[16] = {format[i], '\0'};
        if (format[i] == '%') {  // the next character is the escape; at the end, '\0' adds nothing
            size_t const escape = std::string("DHMS").find(text[0] = format[++i]);
            if (escape != std::string::npos) {
                snprintf(text, sizeof text, escape == 0 ? "%d" : "%02d", parts[escape]);
            }
        }
        out += text;
    }
    return out;
}

// Every field of a broken-down record as text, or "null".
std::string Fields(struct tm const* t) {
    char text[64] = "null";
    if (t != nullptr) {
        strftime(text, sizeof text, "%Y-%m-%d %T %w %j %z %Z", t);
    }
    return text + std::to_string(t ? t->tm_isdst : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    uint64_t const bits = input.Word();
    // Mostly spans of a realistic size, sometimes any 64-bit value; one of four zones.
    uint8_t const how = input.Byte();
    int64_t const value =
        how & 1 ? static_cast<int64_t>(bits) : static_cast<int64_t>(bits % 20000000) - 10000000;
    char const* const zones[] = {"UTC", "America/New_York", "Europe/Berlin", "Australia/Lord_Howe"};
    setenv("TZ", zones[how >> 1 & 3], 1);
    tzset();
    std::string const rest = input.Rest();
    std::string const format = rest.c_str();

    CPortableTimeSpan const span(value);
    uint32_t const minutes = value / 60, hours = value / 3600, days = value / 86400;
    int const parts[4] = {static_cast<int>(days), static_cast<int>(hours - days * 24),
                          static_cast<int>(minutes - hours * 60),
                          static_cast<int>(static_cast<uint32_t>(value) - minutes * 60)};
    FUZZ_CHECK(span.GetTotalSeconds() == value &&
               span.GetTotalMinutes() == static_cast<int>(minutes) &&
               span.GetTotalHours() == static_cast<int>(hours) && span.GetDays() == parts[0]);
    FUZZ_CHECK(span.GetHours() == parts[1] && span.GetMinutes() == parts[2] &&
               span.GetSeconds() == parts[3]);
    CPortableString const text = span.Format(format.c_str());
    FUZZ_CHECK(ReferenceSpanFormat(format, parts) == std::string(text, text.GetLength()));

    CPortableTime const time(value);
    time_t const seconds = value;
    for (bool const local : {false, true}) {
        struct tm expected, got;
        memset(&got, 0x5A, sizeof got);  // every field is written
        struct tm* const converted =
            local ? localtime_r(&seconds, &expected) : gmtime_r(&seconds, &expected);
        struct tm* const shared = local ? time.GetLocalTm(nullptr) : time.GetGmtTm(nullptr);
        FUZZ_CHECK(Fields(shared) == Fields(converted));
        FUZZ_CHECK(shared == (local ? localtime(&seconds) : gmtime(&seconds)));
        struct tm* const filled = local ? time.GetLocalTm(&got) : time.GetGmtTm(&got);
        FUZZ_CHECK(filled == (converted ? &got : nullptr) && Fields(filled) == Fields(converted));
        char reference[128] = "";
        if (converted == nullptr ||
            strftime(reference, sizeof reference, format.c_str(), converted) == 0) {
            reference[0] = '\0';  // the buffer is undefined when the text does not fit
        }
        FUZZ_CHECK((local ? time.Format(format.c_str()) : time.FormatGmt(format.c_str())) ==
                   reference);
    }
    // The bytes as dates (valid in 1980-2037 with fields in range, a day timegm keeps) and times.
    for (size_t at = 0; at + sizeof(_SYSTEMTIME) <= rest.size(); at += sizeof(_SYSTEMTIME)) {
        _SYSTEMTIME date;
        _FILETIME fileTime;
        memcpy(&date, rest.data() + at, sizeof date);
        memcpy(&fileTime, rest.data() + at, sizeof fileTime);
        struct tm day = {0, 0, 0, date.wDay, date.wMonth - 1, date.wYear - 1900,
                         0, 0, 0, 0,         nullptr};
        timegm(&day);
        FUZZ_CHECK(bValidateDateTime(&date) ==
                   (date.wYear >= 1980 && date.wYear <= 2037 && date.wHour < 24 &&
                    date.wMinute < 60 && date.wSecond < 60 && date.wMilliseconds < 1000 &&
                    day.tm_mday == date.wDay && day.tm_mon == date.wMonth - 1));
        int64_t const ticks =
            static_cast<int64_t>(uint64_t{fileTime.dwHighDateTime} << 32 | fileTime.dwLowDateTime);
        FUZZ_CHECK(bValidateFileTimeRange(&fileTime) ==
                   (ticks >= 119600064000000000 && ticks <= 137903903990000000));
    }
    return 0;
}
