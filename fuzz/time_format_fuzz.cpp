// Time formatting for any value and any format. CPortableTime::FormatGmt is strftime of the
// value in UTC into 128 bytes: an expansion of 128 characters or more gives the empty string,
// never a cut one. CPortableTimeSpan::Format and the span's parts follow their own rules: days,
// hours, minutes and seconds from 32-bit totals with wrapping arithmetic, "%D" as
// "%d", "%H", "%M" and "%S" as "%02d", "%" before any other character giving that character,
// everything else copied. The result grows with the format (no 127-character limit), and a lone
// "%" at the end is dropped; both are this library's choices where the legacy buffer was fixed.
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "VelqonMFC.h"
#include "fuzz_input.h"

namespace {

struct Parts {
    int days, hours, minutes, seconds;
};

int wrap(uint32_t value) {
    return static_cast<int>(value);
}

Parts referenceParts(int64_t span) {
    const uint32_t totalMinutes = static_cast<uint32_t>(span / 60);
    const uint32_t totalHours = static_cast<uint32_t>(span / 3600);
    const uint32_t days = static_cast<uint32_t>(span / 86400);
    return {wrap(days), wrap(totalHours - days * 24), wrap(totalMinutes - totalHours * 60),
            wrap(static_cast<uint32_t>(span) - totalMinutes * 60)};
}

std::string referenceFormat(std::string const& format, Parts const& parts) {
    std::string out;
    char number[16];
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (++i == format.size()) {
            break;
        }
        int value = 0;
        char const* conversion = "%02d";
        switch (format[i]) {
            case 'D':
                value = parts.days;
                conversion = "%d";
                break;
            case 'H':
                value = parts.hours;
                break;
            case 'M':
                value = parts.minutes;
                break;
            case 'S':
                value = parts.seconds;
                break;
            default:
                out += format[i];
                continue;
        }
        snprintf(number, sizeof number, conversion, value);
        out += number;
    }
    return out;
}

// strftime's text in UTC when it fits in 127 characters, else empty.
std::string referenceGmt(int64_t value, std::string const& format) {
    const time_t seconds = static_cast<time_t>(value);
    struct tm fields;
    char text[128] = {};
    if (gmtime_r(&seconds, &fields) == nullptr ||
        strftime(text, sizeof text, format.c_str(), &fields) == 0) {
        return std::string();
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits = bits << 8 | input.byte();
    }
    // Mostly spans of a realistic size, sometimes any 64-bit value.
    const int64_t value = input.byte() & 1 ? static_cast<int64_t>(bits)
                                           : static_cast<int64_t>(bits % 20000000) - 10000000;
    const std::string format = input.rest().c_str();

    const CPortableTimeSpan span(value);
    const Parts parts = referenceParts(value);
    FUZZ_CHECK(span.GetTotalSeconds() == value);
    FUZZ_CHECK(span.GetDays() == parts.days);
    FUZZ_CHECK(span.GetHours() == parts.hours);
    FUZZ_CHECK(span.GetMinutes() == parts.minutes);
    FUZZ_CHECK(span.GetSeconds() == parts.seconds);

    const CPortableString text = span.Format(format.c_str());
    const std::string expected = referenceFormat(format, parts);
    FUZZ_CHECK(text.GetLength() == static_cast<int>(expected.size()));
    FUZZ_CHECK(memcmp(text, expected.data(), expected.size()) == 0);

    const CPortableString gmt = CPortableTime(value).FormatGmt(format.c_str());
    FUZZ_CHECK(referenceGmt(value, format) == static_cast<char const*>(gmt));
    return 0;
}
