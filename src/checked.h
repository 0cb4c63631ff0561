// Caller-error checks of the checked build (CMake option VELQON_CHECKED).
//
// VELQON_CHECK(condition, format, ...) stops the process when `condition` is false, like a
// failed assertion: VelqonCheckFailed writes "velqon: " and the formatted message to standard
// error as one line and calls abort(). Messages name the function and the bad value, for
// instance "velqon: CDWordArray::GetAt: index 7 outside [0, 5)".
//
// In the default build the macro evaluates nothing: the condition and the message arguments are
// named only inside sizeof, so the code and the behaviour stay exactly as without the check.
//
// Only caller errors that the library leaves undefined are checked, and only where the test is
// cheap. Behaviour the public headers document for out-of-range arguments (clamped indexes and
// counts, ignored stores) is never stopped.
#ifndef VELQON_CHECKED_H
#define VELQON_CHECKED_H

// Reports a failed check and aborts; defined in checked.cpp, which only the checked build
// compiles. Exported there because the inline accessors of the public headers call it as well
// (VelqonMFC.h declares it identically).
__attribute__((visibility("default"), noreturn, format(printf, 1, 2))) void VelqonCheckFailed(
    char const* format, ...);

namespace velqon_internal {

// Never defined: only named in unevaluated operands, so that variables used by a check alone
// count as used in the default build.
template <class... Args>
int Unevaluated(Args const&...);

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

#ifdef VELQON_CHECKED
#define VELQON_CHECK(condition, ...) \
    ((condition) ? static_cast<void>(0) : VelqonCheckFailed(__VA_ARGS__))
#else
#define VELQON_CHECK(condition, ...) \
    static_cast<void>(sizeof(!(condition)) + sizeof(velqon_internal::Unevaluated(__VA_ARGS__)))
#endif

#endif  // VELQON_CHECKED_H
