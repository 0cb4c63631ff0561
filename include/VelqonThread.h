// VelqonThread.h - events, multi-object waits, threads and the CRC-32 checksum.
#ifndef VELQON_THREAD_H
#define VELQON_THREAD_H

#define VELQON_API __attribute__((visibility("default")))

// ---------------------------------------------------------------------------------------------
// CRC-32 checksum
// ---------------------------------------------------------------------------------------------

// The standard CRC-32 (IEEE 802.3, as zlib and PNG compute it) of `length` bytes at `data`;
// 0 for a length of 0, without reading `data`. Bytes count as unsigned values 0 to 255, and
// `data` is only read, although the legacy signature does not say so. Reads only constant
// tables: safe from any thread. Uses carry-less multiplication where the processor has it; the
// result is the same either way.
VELQON_API unsigned int Portable_crc32(char* data, unsigned int length);

#undef VELQON_API
#endif  // VELQON_THREAD_H
