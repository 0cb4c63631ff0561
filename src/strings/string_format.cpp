// printf-style formatting into a CPortableString. A first pass over the format estimates an
// upper bound of the output length, the buffer is reserved once for that many characters, and
// vsnprintf writes into it. The estimate is the only bound: longer output is cut to it.
//
// The estimate sets the cut, so its rules stay exact, quirks included: each literal character adds
// the length of the rest of the format (not 1), "#" adds 2 to the total, only one size prefix
// is read (so in "%lld" the second "l" ends the conversion and the "d" counts as literal text),
// and conversions outside the table add nothing and consume no argument.
//
// Formatting a string into itself (s.Format("%s/%s", (char const*)s, "x")) is allowed: the
// estimating pass notes whether the format or a pointer argument points into the string's own
// block, and such a call keeps the old text readable until vsnprintf has written the output.
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "VelqonMFC.h"
#include "strings/string_blocks.h"

namespace {

using velqon_internal::PointsInto;

enum class SizeMark { kNone, kShortMark, kLongMark, kInt64Mark };

// A va_list that can be passed on by reference: a va_list parameter has decayed to a pointer,
// and only an object of the real type may be handed to helpers that keep reading from it.
struct ArgumentList {
    va_list list;
};

// What the estimating pass learns: the length bound, and whether vsnprintf will read (or, for
// "%n", write) through a pointer into `block`, the string's own block.
struct Estimate {
    CPortableStringData* block;
    int total;
    bool readsOwnBlock;
};

// Notes a pointer argument that points into the string's own block; returns the argument.
template <class Pointer>
Pointer Noted(Estimate& estimate, Pointer pointer) {
    if (PointsInto(reinterpret_cast<char const*>(pointer), estimate.block)) {
        estimate.readsOwnBlock = true;
    }
    return pointer;
}

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
// conversion character and consumes the arguments the conversion takes. Adds to the total the
// item length and 2 per "#" flag.
void EstimateConversion(char const*& p, ArgumentList& arguments, Estimate& estimate) {
    int& total = estimate.total;
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
                char const* text = Noted(estimate, va_arg(arguments.list, char const*));
                item = AdjustTextItem(StringItemLength(text), width, precision);
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
            Noted(estimate, va_arg(arguments.list, void*));
            break;
        default:
            break;
    }
    total += item;
}

// The upper bound of the output length, reading the arguments the format takes.
Estimate EstimateLength(char const* format, ArgumentList& arguments, CPortableStringData* block) {
    Estimate estimate = {block, 0, PointsInto(format, block)};
    int& total = estimate.total;
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
            EstimateConversion(p, arguments, estimate);
        }
    }
    return estimate;
}

// Stack room for the output of a call that formats a string into itself in place.
int const kInlineOutput = 256;

}  // namespace

void CPortableString::Format(char const* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    FormatV(format, arguments);
    va_end(arguments);
}

void CPortableString::FormatV(char const* format, va_list arguments) {
    CPortableStringData* old = GetData();
    ArgumentList estimating;
    va_copy(estimating.list, arguments);
    Estimate const estimated = EstimateLength(format, estimating, old);
    va_end(estimating.list);
    int const estimate = estimated.total;

    // vsnprintf into `buffer` with room for the estimate. With nothing to print the buffer may
    // be the shared empty sentinel, which is never written: the format then only runs for the
    // side effects of its "%n" conversions.
    auto const print = [&](char* buffer) {
        va_list formatting;
        va_copy(formatting, arguments);
        if (estimate > 0) {
            (void)vsnprintf(buffer, static_cast<size_t>(estimate) + 1, format, formatting);
        } else {
            (void)vsnprintf(nullptr, 0, format, formatting);
        }
        va_end(formatting);
    };
    if (!estimated.readsOwnBlock) {
        print(GetBuffer(estimate));
    } else if (velqon_internal::RefCountOf(old) <= 1 && old->nCapacity >= estimate) {
        // The block is kept, as GetBuffer keeps it, but the output may not be written over the
        // text it reads: it goes to scratch first, which starts as a copy of the block's first
        // estimate + 1 bytes, so that the block ends exactly as a direct write would leave it.
        size_t const size = estimate > 0 ? static_cast<size_t>(estimate) + 1 : 0;
        char inlineOutput[kInlineOutput];
        std::unique_ptr<char[]> heapOutput;
        char* scratch = inlineOutput;
        if (size > sizeof inlineOutput) {
            heapOutput.reset(new char[size]);
            scratch = heapOutput.get();
        }
        memcpy(scratch, m_pchBuffer, size);
        print(scratch);
        memcpy(m_pchBuffer, scratch, size);
    } else {
        // The new block GetBuffer would move to; the old one is released once vsnprintf has
        // read what it needs from it.
        m_pchBuffer = velqon_internal::GrownCopy(old, estimate);
        print(m_pchBuffer);
        velqon_internal::ReleaseBlock(old);
    }
    ReleaseBuffer(estimate > 0 ? -1 : 0);
}
