// VelqonProcInfo.h - process identity and resource use.
#ifndef VELQON_PROCINFO_H
#define VELQON_PROCINFO_H

#define VELQON_API __attribute__((visibility("default")))

#undef VELQON_API
#endif  // VELQON_PROCINFO_H
