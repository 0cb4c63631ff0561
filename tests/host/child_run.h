// Runs a piece of a test in a forked child, so that what it changes (its name, network or root
// directory, descriptor limit) ends with it.
#ifndef VELQON_TESTS_HOST_CHILD_RUN_H
#define VELQON_TESTS_HOST_CHILD_RUN_H

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
ChildRun runInChild(int captured, const std::function<int()>& body);

#endif  // VELQON_TESTS_HOST_CHILD_RUN_H
