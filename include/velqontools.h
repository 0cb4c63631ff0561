// velqontools.h - full path names, the system clock and date validation.
#ifndef VELQON_TOOLS_H
#define VELQON_TOOLS_H

#define VELQON_API __attribute__((visibility("default")))

#undef VELQON_API
#endif  // VELQON_TOOLS_H
