// gettid with C++ linkage. <unistd.h> of glibc 2.30 and later declares the C library's gettid
// for C++ code, so the mangled symbol "_Z6gettidv" is defined under another name here.
#include <sys/syscall.h>
#include <unistd.h>

namespace velqon_internal {

__attribute__((visibility("default"))) int Gettid() __asm__("_Z6gettidv");

int Gettid() {
    return static_cast<int>(syscall(SYS_gettid));
}

}  // namespace velqon_internal
