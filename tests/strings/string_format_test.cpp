#include <stdarg.h>

#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "string_probes.h"

namespace {

// Formats through FormatV, so that the table below may hold formats the compiler's format check
// rejects (the legacy "I64" prefix, "%E", a null string argument, the empty format).
CPortableString Formatted(char const* format, ...) {
    CPortableString s;
    va_list arguments;
    va_start(arguments, format);
    s.FormatV(format, arguments);
    va_end(arguments);
    return s;
}

}  // namespace

// The reserved capacity is the estimate: literal characters add the rest of the format, "%%"
// counts from its second character, "#" adds 2, strings count their length (6 for null) cut to
// the precision and raised to the width, integers 32 or the width, "e" 128, "f" its trial
// formatting with precision + 6, "n", "E" and a second "l" nothing. Output longer than the
// estimate is cut to it, and an estimate of 0 leaves the string on the sentinel, allocating
// nothing, while "%n" still runs.
TEST(StringFormatTest, EstimateAndCutOutput) {
    int written = 99;
    struct {
        CPortableString result;
        std::string text;
        int capacity;
    } const rows[] = {
        {Formatted(""), "", 0},
        {Formatted("%s", "abc"), "abc", 3},
        {Formatted("%s", nullptr), "(null)", 6},
        {Formatted("%d", 5), "5", 32},
        {Formatted("%5.2f", 3.14159), " 3.14", 10},  // "3.14159000"
        {Formatted("%e", 1.0), "1.000000e+00", 128},
        {Formatted("100%%"), "100%", 5 + 4 + 3 + 1},
        {Formatted("ab%d", 7), "ab7", 4 + 3 + 32},
        {Formatted("%#x", 255), "0xff", 2 + 32},
        {Formatted("%*d", 40, 7), std::string(39, ' ') + "7", 40},
        {Formatted("%.*s|%10s", 2, "abcdef", "xy"), "ab|        xy", 2 + 5 + 10},
        {Formatted("%lld", 1234567890123LL), "1", 1},  // the second "l" ends the conversion
        // glibc reads "I" as a flag and 64 as the width; the estimate for the 64-bit mark is 32.
        {Formatted("%I64d", 5LL), std::string(32, ' '), 32},
        {Formatted("%E", 1.5), "", 0},
        {Formatted("%n", &written), "", 0},
    };
    for (auto const& row : rows) {
        EXPECT_EQ(row.text, Text(row.result));
        EXPECT_EQ(row.capacity, Capacity(row.result)) << row.text;
        EXPECT_EQ(row.capacity == 0, OnSentinel(row.result)) << row.text;
    }
    EXPECT_EQ(0, written);
}
