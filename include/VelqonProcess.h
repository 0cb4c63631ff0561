// VelqonProcess.h - process lookup and the MAC address.
//
// Every function here keeps no state between calls: each call uses its own buffers, map and
// socket, so any number of threads may call them at once.
#ifndef VELQON_PROCESS_H
#define VELQON_PROCESS_H

#include <map>
#include <string>

#define VELQON_API __attribute__((visibility("default")))

// These names are exported without type decoration, as the code written for them expects,
// although HashStatus takes C++ references: C linkage only fixes the symbol name here, the
// functions stay callable from C++ alone.
extern "C" {

// Adds every "key, key separator, value, line separator" record of `text` to `fields`; the map
// is not cleared first and a key seen again overwrites the earlier value. A key starts at the
// first character outside " \n\t" and ends before the first character of `keySeparators`
// (blanks before the separator stay in the key); the value starts at the next character
// outside " \n\t" (newlines are skipped too) and ends before the first character of
// `lineSeparators` (trailing blanks stay in the value). Parsing goes on from that line
// separator and stops as soon as a key or value has no end. So, on purpose: a last record
// without a final line separator is dropped (a status file ends every record in one), and a key
// with an empty value takes the whole next line as its value (newlines count as blanks before a
// value), so that line is not a record of its own.
// May throw std::bad_alloc; the entries added before the failure stay in `fields`.
VELQON_API void HashStatus(std::string const& text, std::map<std::string, std::string>& fields,
                           std::string const& keySeparators, std::string const& lineSeparators);

// Returns the number of processes whose "Name" in /proc/<pid>/status equals `name` exactly
// (case-sensitive; the kernel cuts names at 15 characters). The calling process counts too.
// Returns 0 when /proc cannot be opened (after perror("opendir") on standard error) and also
// when a process vanishes during the scan: a status file listed by the directory but gone when
// it is looked at ends the whole scan with 0, whatever was counted before (the listing changed;
// callers that need a count retry). A status file that cannot be opened or read is skipped;
// one longer than 4096 bytes is read up to its first 4096 bytes. A status without a "Name"
// record matches the empty `name`.
VELQON_API int isProcessRunning(char const* name);

// Returns 1 if /proc/<pid>/status exists, can be read and its "Name" equals `name` exactly,
// else 0. Only the first 4096 bytes of the file are read.
VELQON_API int isThisProcessRunning(int pid, char const* name);

// Writes the hardware address of the first IPv4 interface, in the order the system lists them,
// whose address is not all zero (so loopback is passed over), as twelve lowercase hexadecimal
// digits and a terminating zero, and returns 12. Returns -1 without touching `address` when
// `size` is below 14 (the fixed bound, one byte more than needed). Returns 0 when no interface
// qualifies or a query fails; a failed query prints "ioctl(SIOCGIFCONF): <error>" or
// "SIOCGIFHWADDR(<interface>): <error>" on standard output, and the first failing interface
// ends the walk. `address` is written only on success. At most 64 interfaces are looked at.
VELQON_API int GetMACAddress(char* address, int size);

}  // extern "C"

#undef VELQON_API
#endif  // VELQON_PROCESS_H
