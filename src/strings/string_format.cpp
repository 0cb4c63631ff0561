// printf-style formatting into a CPortableString. A first pass over the format estimates an
// upper bound of the output length, the buffer is reserved once for that many characters, and
// vsnprintf writes into it. The estimate is the only bound: longer output is cut to it.
//
// The estimate keeps the legacy rules exactly, quirks included: each literal character adds
// the length of the rest of the format (not 1), "#" adds 2 to the total, only one size prefix
// is read (so in "%lld" the second "l" ends the conversion and the "d" counts as literal text),
// and conversions outside the table add nothing and consume no argument.
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "VelqonMFC.h"

namespace {

enum class SizeMark { kNone, kShortMark, kLongMark, kInt64Mark };

// A va_list that can be passed on by reference: a va_list parameter has decayed to a pointer,
// and only an object of the real type may be handed to helpers that keep reading from it.
struct ArgumentList {
    va_list list;
};

int Larger(int a, int b) {
    return a > b ? a : b;
}

// Reads a decimal number as atoi does (glibc's atoi is this strtol call) and moves past its
// digits.
int ReadNumber(char const*& p) {
    int value = static_cast<int>(strtol(p, nullptr, 10));
    while (isdigit(static_cast<unsigned char>(*p))) {
        ++p;
    }
    return value;
}

// Length of a character or string item, cut to the precision and widened to the width.
int AdjustTextItem(int length, int width, int precision) {
    if (precision != 0 && length > precision) {
        length = precision;
    }
    return Larger(length, width);
}

int StringItemLength(char const* text) {
    return text == nullptr ? 6 : Larger(lstrlen(text), 1);
}

// Estimates one conversion starting just after its "%"; moves `p` past its
// conversion character and consumes the arguments the conversion takes. Adds to `total` the
// item length and 2 per "#" flag.
void EstimateConversion(char const*& p, ArgumentList& arguments, int& total) {
    int width = 0;
    for (;; ++p) {
        if (*p == '#') {
            total += 2;
        } else if (*p == '*') {
            width = va_arg(arguments.list, int);
        } else if (*p != '-' && *p != '+' && *p != '0' && *p != ' ') {
            break;
        }
    }
    if (width == 0) {
        width = ReadNumber(p);
    }
    int precision = 0;
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            precision = va_arg(arguments.list, int);
            ++p;
        } else {
            precision = ReadNumber(p);
        }
    }

    SizeMark mark = SizeMark::kNone;
    if (strncmp(p, "I64", 3) == 0) {
        mark = SizeMark::kInt64Mark;
        p += 3;
    } else if (*p == 'h') {
        mark = SizeMark::kShortMark;
        ++p;
    } else if (*p == 'l') {
        mark = SizeMark::kLongMark;
        ++p;
    } else if (*p == 'F' || *p == 'L' || *p == 'N') {
        ++p;
    }

    char conversion = *p;
    if (conversion != '\0') {  // a format cut inside a conversion is not read past its end
        ++p;
    }
    bool narrowText = mark == SizeMark::kNone || mark == SizeMark::kShortMark;
    int item = 0;
    switch (conversion) {
        case 'c':
        case 'C':
            if (mark != SizeMark::kInt64Mark) {
                va_arg(arguments.list, int);
                item = AdjustTextItem(2, width, precision);
            }
            break;
        case 's':
        case 'S':
            if (narrowText) {
                item = AdjustTextItem(StringItemLength(va_arg(arguments.list, char const*)), width,
                                      precision);
            }
            break;
        case 'd':
        case 'i':
        case 'o':
        case 'u':
        case 'x':
        case 'X':
        case 'p':
            // Every integer-class argument fills one 8-byte slot on x86-64, so reading it as
            // 64 bits consumes exactly one argument whatever its declared size.
            va_arg(arguments.list, long);
            item = Larger(32, width + precision);
            break;
        case 'e':
        case 'g':
        case 'G':
            va_arg(arguments.list, double);
            item = Larger(128, width + precision);
            break;
        case 'f':
            // Trial formatting with six more decimals than asked for. snprintf with no buffer
            // measures the text exactly, so no scratch buffer can be overrun by a wide field.
            item =
                snprintf(nullptr, 0, "%*.*f", width, precision + 6, va_arg(arguments.list, double));
            break;
        case 'n':
            va_arg(arguments.list, void*);
            break;
        default:
            break;
    }
    total += item;
}

// The upper bound of the output length, reading the arguments the format takes.
int EstimateLength(char const* format, ArgumentList& arguments) {
    int total = 0;
    char const* p = format;
    while (*p != '\0') {
        if (*p != '%') {
            total += static_cast<int>(strlen(p));  // the rest of the format, not 1
            ++p;
        } else if (p[1] == '%') {
            total += static_cast<int>(strlen(p + 1));
            p += 2;
        } else {
            ++p;
            EstimateConversion(p, arguments, total);
        }
    }
    return total;
}

}  // namespace

void CPortableString::Format(char const* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    FormatV(format, arguments);
    va_end(arguments);
}

void CPortableString::FormatV(char const* format, va_list arguments) {
    ArgumentList estimating;
    va_copy(estimating.list, arguments);
    int estimate = EstimateLength(format, estimating);
    va_end(estimating.list);

    char* buffer = GetBuffer(estimate);
    va_list formatting;
    va_copy(formatting, arguments);
    if (estimate > 0) {
        (void)vsnprintf(buffer, static_cast<size_t>(estimate) + 1, format, formatting);
        ReleaseBuffer(-1);
    } else {
        // Nothing can be printed; the buffer may be the shared empty sentinel, which is never
        // written, so the format only runs for the side effects of its "%n" conversions.
        (void)vsnprintf(nullptr, 0, format, formatting);
        ReleaseBuffer(0);
    }
    va_end(formatting);
}
