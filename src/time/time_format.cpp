// Formatting of calendar times (strftime) and of time spans (four escapes of their own).
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "VelqonMFC.h"

namespace {

// strftime of an already converted record into the documented 128-byte buffer. strftime returns 0
// both for an empty expansion and for one that does not fit; either way the result is empty.
CPortableString FormatBrokenDown(struct tm const* fields, char const* format) {
    if (fields == nullptr) {
        return CPortableString();
    }
    char text[128];
    memset(text, 0, sizeof text);
    if (strftime(text, sizeof text, format, fields) == 0) {
        return CPortableString();
    }
    return CPortableString(text);
}

// Expands a span format. With a null `out` it only measures; otherwise it writes the text
// (without terminator) into `out`, which must hold the measured length. Measuring first and
// then writing into a block of exactly that size means the output can never overrun, whatever
// the format.
size_t ExpandSpanFormat(CPortableTimeSpan const& span, char const* format, char* out) {
    size_t length = 0;
    for (char const* p = format; *p != '\0'; ++p) {
        char piece[16];
        int pieceLength = 1;
        piece[0] = *p;
        if (*p == '%') {
            ++p;
            switch (*p) {
                case '\0':  // a lone "%" ending the format is dropped
                    return length;
                case 'D':
                    pieceLength = snprintf(piece, sizeof piece, "%d", span.GetDays());
                    break;
                case 'H':
                    pieceLength = snprintf(piece, sizeof piece, "%02d", span.GetHours());
                    break;
                case 'M':
                    pieceLength = snprintf(piece, sizeof piece, "%02d", span.GetMinutes());
                    break;
                case 'S':
                    pieceLength = snprintf(piece, sizeof piece, "%02d", span.GetSeconds());
                    break;
                default:  // "%%" gives "%", "%x" gives "x"
                    piece[0] = *p;
                    break;
            }
        }
        if (out != nullptr) {
            memcpy(out + length, piece, pieceLength);
        }
        length += pieceLength;
    }
    return length;
}

}  // namespace

CPortableString CPortableTime::Format(char const* format) const {
    struct tm fields;
    return FormatBrokenDown(localtime_r(&m_tTime, &fields), format);
}

CPortableString CPortableTime::FormatGmt(char const* format) const {
    struct tm fields;
    return FormatBrokenDown(gmtime_r(&m_tTime, &fields), format);
}

CPortableString CPortableTimeSpan::Format(char const* format) const {
    CPortableString result;
    int length = static_cast<int>(ExpandSpanFormat(*this, format, nullptr));
    if (length > 0) {
        ExpandSpanFormat(*this, format, result.GetBufferSetLength(length));
    }
    return result;
}
