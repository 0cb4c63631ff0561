// VelqonMfcContainers.h - arrays, lists and maps.
#ifndef VELQON_MFCCONTAINERS_H
#define VELQON_MFCCONTAINERS_H

#define VELQON_API __attribute__((visibility("default")))

#undef VELQON_API
#endif  // VELQON_MFCCONTAINERS_H
