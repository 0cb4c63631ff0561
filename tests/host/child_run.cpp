#include "child_run.h"

#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

ChildRun runInChild(int captured, const std::function<int()>& body) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {-1, "pipe failed"};
    // Otherwise text buffered in this process would come out of the child a second time.
    fflush(stdout);
    fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        dup2(pipeFds[1], captured);
        close(pipeFds[1]);
        const int code = body();
        fflush(stdout);
        fflush(stderr);
        _exit(code);
    }
    close(pipeFds[1]);
    ChildRun run{-1, ""};
    char chunk[256];
    ssize_t got;
    while ((got = read(pipeFds[0], chunk, sizeof chunk)) > 0)
        run.output.append(chunk, got);
    close(pipeFds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    return run;
}
