// Runs a piece of a test in a forked child, so that what it changes (its name, network or root
// directory, descriptor limit) ends with it.
#ifndef VELQON_TESTS_HOST_CHILD_RUN_H
#define VELQON_TESTS_HOST_CHILD_RUN_H

#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

// Exit code of a child that found its environment refusing what it needs; its output says why.
constexpr int kChildSkipped = 77;

struct ChildRun {
    int exitCode;        // -1 when the child did not exit normally
    std::string output;  // everything the child wrote to the captured descriptor
};

// Forks; the child points descriptor `captured` (1 or 2) at a pipe, runs `body` and exits with
// its result. Returns once the child has been reaped.
inline ChildRun runInChild(int captured, std::function<int()> const& body) {
    int fds[2];
    if (pipe(fds) != 0) {
        return {-1, "pipe failed"};
    }
    fflush(nullptr);  // otherwise text buffered here would come out of the child a second time
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], captured);
        close(fds[1]);
        int const code = body();
        fflush(nullptr);
        _exit(code);
    }
    close(fds[1]);
    ChildRun run{-1, ""};
    char chunk[256];
    for (ssize_t got; (got = read(fds[0], chunk, sizeof chunk)) > 0;) {
        run.output.append(chunk, got);
    }
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    return run;
}

#endif  // VELQON_TESTS_HOST_CHILD_RUN_H
