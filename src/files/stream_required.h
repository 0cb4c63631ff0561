// The stream that the reading, writing and positioning members of CPortableStdioFile work on.
#ifndef VELQON_SRC_FILES_STREAM_REQUIRED_H
#define VELQON_SRC_FILES_STREAM_REQUIRED_H

#include <stdio.h>

#include "checked.h"

namespace velqon_internal {

// Whether the stream file has a stream for `member` to use. Without one (never opened, closed,
// or opened by the inherited three-argument Open, which opens only the descriptor) the member
// refuses the call with its failure result instead of handing a null stream to the C library;
// the checked build stops with a message that says how to open the stream.
inline bool HasStream(FILE* stream, char const* member) {
    VELQON_CHECK(stream != nullptr,
                 "CPortableStdioFile::%s: no stream is open: open the file with Open(path, "
                 "flags) or the constructor (the three-argument Open opens only the descriptor)",
                 member);
    return stream != nullptr;
}

}  // namespace velqon_internal

#endif  // VELQON_SRC_FILES_STREAM_REQUIRED_H
