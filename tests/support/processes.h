// Work in a forked child (for tests that change the process), and the descriptors it holds.
#ifndef VELQON_TESTS_SUPPORT_PROCESSES_H
#define VELQON_TESTS_SUPPORT_PROCESSES_H

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>

// Non-null in a program built for coverage. A child ending with _exit writes no profile, so
// there it ends with exit: the program and the library each write theirs from exit handlers.
extern "C" int __llvm_profile_write_file(void)  // NOLINT(readability-identifier-naming)
    __attribute__((weak));

// Exit code of a child that found its environment refusing what it needs; its output says why.
constexpr int kChildSkipped = 77;

struct ChildRun {
    int exitCode;        // -1 when the child did not exit normally
    std::string output;  // everything the child wrote to the captured descriptor
};

// Forks a child that points descriptor `captured` (1 or 2) at a pipe, runs `body` and exits with
// its result; returns once the child has been reaped.
inline ChildRun RunInChild(int captured, std::function<int()> const& body) {
    int fds[2];
    if (pipe(fds) != 0) {
        return {-1, "pipe failed"};
    }
    fflush(nullptr);  // otherwise text buffered here would come out of the child a second time
    pid_t const pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], captured);
        close(fds[1]);
        int const code = body();
        fflush(nullptr);
        if (__llvm_profile_write_file != nullptr) {
            exit(code);  // NOLINT(concurrency-mt-unsafe): the child runs one thread
        }
        _exit(code);
    }
    close(fds[1]);
    ChildRun run{-1, ""};
    char chunk[256];
    for (ssize_t got; (got = read(fds[0], chunk, sizeof chunk)) > 0;) {
        run.output.append(chunk, static_cast<size_t>(got));
    }
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    return run;
}

// The descriptors open in this process: each number below 4096 asked (no directory opened).
inline std::set<int> OpenDescriptors() {
    std::set<int> open;
    for (int descriptor = 0; descriptor < 4096; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1) {
            open.insert(descriptor);
        }
    }
    return open;
}

#endif  // VELQON_TESTS_SUPPORT_PROCESSES_H
