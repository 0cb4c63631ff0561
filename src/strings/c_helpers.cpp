// The C-string helpers with C linkage: lstrlen and the in-place case converters.
#include <ctype.h>
#include <string.h>

#include "VelqonMFC.h"

namespace {

// Each byte goes to the classifier as a signed char, the value a plain char has on this
// platform, so these helpers convert exactly the bytes that tolower/toupper on a char convert:
// bytes 128-255 arrive as negative values, which glibc's tables classify by the current locale
// (and -1, the byte 255, is EOF and comes back unchanged).
template <int (*Convert)(int)>
char* ConvertInPlace(char* text) {
    for (char* p = text; *p != '\0'; ++p) {
        *p = static_cast<char>(Convert(static_cast<signed char>(*p)));
    }
    return text;
}

}  // namespace

int lstrlen(char const* text) {
    return text == nullptr ? 0 : static_cast<int>(strlen(text));
}

char* strlwr(char* text) {
    return ConvertInPlace<tolower>(text);
}

char* _strlwr(char* text) {
    return ConvertInPlace<tolower>(text);
}

char* strupr(char* text) {
    return ConvertInPlace<toupper>(text);
}

char* _strupr(char* text) {
    return ConvertInPlace<toupper>(text);
}
