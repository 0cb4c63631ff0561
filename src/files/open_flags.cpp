// The open-flag word: access, share and create fields to open() flags, creation modes and
// fdopen() mode strings.
#include "files/open_flags.h"

#include <fcntl.h>

namespace velqon_internal {

int OpenFlags(unsigned int flags) {
    int result;
    switch (flags & kAccessMask) {
        case kAccessWrite:
            result = O_WRONLY;
            break;
        case kAccessReadWrite:
            result = O_RDWR;
            break;
        default:  // 0x0, and 0x3 which asks for both and gets neither
            result = O_RDONLY;
            break;
    }
    if (flags & kCreate) {
        result |= (flags & kNoTruncate) ? O_CREAT : O_CREAT | O_TRUNC;
    }
    return result;
}

mode_t CreationMode(unsigned int flags) {
    // The share field locks nothing; it only decides who may later open the created file.
    switch (flags & kShareMask) {
        case 0x30:
        case 0x40:
            return 0666;
        case 0x20:
            return 0444;
        default:
            return 0600;
    }
}

char const* StreamMode(unsigned int flags) {
    bool const writeOnly = (flags & kAccessWrite) != 0;
    if (flags & kCreate) {
        // The descriptor open has already created (and, without kNoTruncate, truncated).
        if (flags & kNoTruncate) {
            return writeOnly ? "a" : "a+";
        }
        return writeOnly ? "w" : "w+";
    }
    if (writeOnly) {
        return "a";
    }
    return (flags & kAccessReadWrite) ? "r+" : "r";
}

}  // namespace velqon_internal
