// Caller-error checks of the checked build (CMake option VELQON_CHECKED).
//
// VELQON_CHECK(condition, format, ...) stops the process when `condition` is false, like a
// failed assertion: VelqonCheckFailed writes "velqon: " and the formatted message to standard
// error as one line and calls abort(). Messages name the function and the bad value, for
// instance "velqon: CDWordArray::GetAt: index 7 outside [0, 5)".
//
// It is the check the inline accessors of the public headers make (VELQON_INLINE_CHECK of
// VelqonMFC.h): in the default build it evaluates nothing, so the code and the behaviour stay
// exactly as without the check.
//
// Only caller errors that the library leaves undefined are checked, and only where the test is
// cheap. Behaviour the public headers document for out-of-range arguments (clamped indexes and
// counts, ignored stores) is never stopped.
#ifndef VELQON_CHECKED_H
#define VELQON_CHECKED_H

// Defines VELQON_INLINE_CHECK and, in the checked build, declares VelqonCheckFailed.
#include "VelqonMFC.h"

#define VELQON_CHECK VELQON_INLINE_CHECK

namespace velqon_internal {

// A value that only the checks need (a class name for the messages, a count to test against).
// The checked build keeps it; the default build stores nothing (members of this type are
// declared [[no_unique_address]], so they take no room either), and there Get() may only be
// named inside VELQON_CHECK.
template <class T>
class CheckedOnly {
public:
#ifdef VELQON_CHECKED
    CheckedOnly(T value) : m_value(value) {}
    T Get() const {
        return m_value;
    }

private:
    T m_value;
#else
    CheckedOnly(T) {}
    T Get() const;  // never defined
#endif
};

}  // namespace velqon_internal

#endif  // VELQON_CHECKED_H
