// GetFullPathName: a name prefixed with the working directory and a slash.
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "velqontools.h"

unsigned int GetFullPathName(char const* name, unsigned int bufferLength, char* buffer,
                             char** /*filePart*/) {
    char directory[1024];
    if (getcwd(directory, sizeof directory) == nullptr) {
        return 0;
    }
    size_t const directoryLength = strlen(directory);
    size_t const nameLength = strlen(name);
    // The whole result (directory, slash, name, terminator) must fit; it is never cut.
    if (directoryLength >= bufferLength) {
        return 0;
    }
    if (bufferLength < directoryLength + nameLength + 2) {
        return 0;
    }
    return static_cast<unsigned int>(snprintf(buffer, bufferLength, "%s/%s", directory, name));
}
