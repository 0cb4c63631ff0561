// VelqonProcess.h - process lookup and the MAC address.
#ifndef VELQON_PROCESS_H
#define VELQON_PROCESS_H

#define VELQON_API __attribute__((visibility("default")))

#undef VELQON_API
#endif  // VELQON_PROCESS_H
