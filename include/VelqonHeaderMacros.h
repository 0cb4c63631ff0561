// VelqonHeaderMacros.h - the macros the Velqon headers share; not for direct inclusion.
//
// Every public header includes this file after its other Velqon headers and undefines these
// macros at its end, so none of them reaches the code that includes it. There is no include
// guard on purpose: a header included after another must get the macros again. The library's
// own sources define VELQON_KEEP_HEADER_MACROS to keep them for their own checks.

// Marks a declaration as exported: the library is built with every other name hidden.
#ifndef VELQON_API
#define VELQON_API __attribute__((visibility("default")))
#endif

// VELQON_INLINE_CHECK(condition, format, ...): a caller-error check of the checked build (see
// VelqonMFC.h). There a false `condition` calls VelqonCheckFailed with the printf-style message,
// which writes it as "velqon: <message>" to standard error and aborts. In any other build the
// check evaluates nothing: the condition and the message are named only inside sizeof, so the
// code is exactly what it would be without the check, and a value that only a check uses still
// counts as used.
#ifndef VELQON_INLINE_CHECK
#ifdef VELQON_CHECKED
// Reports a failed check and aborts. Only a checked library defines and exports it.
VELQON_API void VelqonCheckFailed(char const* format, ...)
    __attribute__((noreturn, format(printf, 1, 2)));
#define VELQON_INLINE_CHECK(condition, ...) \
    ((condition) ? static_cast<void>(0) : VelqonCheckFailed(__VA_ARGS__))
#else
#define VELQON_INLINE_CHECK(condition, ...) \
    static_cast<void>(sizeof((condition) ? 0 : ((__VA_ARGS__), 0)))
#endif
#endif
