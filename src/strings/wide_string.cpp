// Construction of a CPortableString from 16-bit wide (UTF-16) text, converted to UTF-8.
#include "VelqonMFC.h"

namespace {

bool IsHighSurrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Encodes `count` UTF-16 units as UTF-8 into `out` (measuring only when `out` is null) and
// returns the number of bytes. A surrogate that is not part of a high-low pair becomes '?'.
int EncodeUtf8(unsigned short const* wide, int count, char* out) {
    int bytes = 0;
    auto put = [&](unsigned value) {
        if (out != nullptr) {
            out[bytes] = static_cast<char>(value);
        }
        ++bytes;
    };
    for (int i = 0; i < count; ++i) {
        unsigned unit = wide[i];
        if (unit < 0x80) {
            put(unit);
        } else if (unit < 0x800) {
            put(0xC0 | (unit >> 6));
            put(0x80 | (unit & 0x3F));
        } else if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(wide[i + 1])) {
            unsigned code = 0x10000 + ((unit - 0xD800) << 10) + (wide[++i] - 0xDC00);
            put(0xF0 | (code >> 18));
            put(0x80 | ((code >> 12) & 0x3F));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            put('?');
        } else {
            put(0xE0 | (unit >> 12));
            put(0x80 | ((unit >> 6) & 0x3F));
            put(0x80 | (unit & 0x3F));
        }
    }
    return bytes;
}

}  // namespace

CPortableString::CPortableString(unsigned short const* wide, int length) {
    Init();
    if (wide == nullptr) {
        return;
    }
    if (length < 0) {
        length = 0;
        while (wide[length] != 0) {
            ++length;
        }
    }
    int bytes = EncodeUtf8(wide, length, nullptr);
    AllocBuffer(bytes);
    EncodeUtf8(wide, length, m_pchBuffer);
}
