// The reporting end of the checked build's caller-error checks (see checked.h).
#include "checked.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

// The message is composed first and written with one write(2), so that it stays one line when
// several threads fail at once, and so that nothing here allocates or takes a stdio lock that a
// broken caller might already hold.
void VelqonCheckFailed(char const* format, ...) {
    char line[512];
    int length = snprintf(line, sizeof line, "velqon: ");
    va_list arguments;
    va_start(arguments, format);
    int const written = vsnprintf(line + length, sizeof line - length, format, arguments);
    va_end(arguments);
    if (written > 0) {
        length += written;
    }
    if (length > static_cast<int>(sizeof line) - 2) {
        length = static_cast<int>(sizeof line) - 2;  // cut an overlong message, keep the newline
    }
    line[length++] = '\n';
    ssize_t const ignored = write(STDERR_FILENO, line, static_cast<size_t>(length));
    static_cast<void>(ignored);
    abort();
}
