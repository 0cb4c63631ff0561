// Translation of the open-flag word shared by CPortableFile and CPortableStdioFile into the
// arguments of open() and the mode string of fdopen().
#ifndef VELQON_SRC_FILES_OPEN_FLAGS_H
#define VELQON_SRC_FILES_OPEN_FLAGS_H

#include <sys/types.h>

namespace velqon_internal {

// Bits of the open-flag word.
unsigned int const kAccessMask = 0x3;
unsigned int const kAccessWrite = 0x1;      // write-only
unsigned int const kAccessReadWrite = 0x2;  // read-write (0x3 counts as read-only)
unsigned int const kShareMask = 0x70;
unsigned int const kCreate = 0x1000;
unsigned int const kNoTruncate = 0x2000;
unsigned int const kStreamOnly = 0x4000;  // cleared by the stream file, ignored by open()

// Access mode combined with O_CREAT / O_TRUNC, for open()'s second argument.
int OpenFlags(unsigned int flags);
// Permission bits for a file that open() creates (before the umask).
mode_t CreationMode(unsigned int flags);
// fdopen() mode: one or two characters, never a third.
char const* StreamMode(unsigned int flags);

}  // namespace velqon_internal

#endif  // VELQON_SRC_FILES_OPEN_FLAGS_H
