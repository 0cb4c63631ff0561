// VelqonThread.h - events, multi-object waits, threads and the CRC-32 checksum.
#ifndef VELQON_THREAD_H
#define VELQON_THREAD_H

#define VELQON_API __attribute__((visibility("default")))

// ---------------------------------------------------------------------------------------------
// CRC-32 checksum
// ---------------------------------------------------------------------------------------------

// The standard CRC-32 (IEEE 802.3, as zlib and PNG compute it) of `length` bytes at `data`;
// 0 for a length of 0, without reading `data`. Reads only constant tables: safe from any thread.
VELQON_API unsigned int Portable_crc32(char* data, unsigned int length);

#undef VELQON_API
#endif  // VELQON_THREAD_H
