// Minimal checking for the consumer program: each failed check prints itself and is counted.
#ifndef CONSUMER_CHECK_H
#define CONSUMER_CHECK_H

#include <stdio.h>

inline int CheckFailed(char const* file, int line, char const* condition) {
    fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    return 1;
}

// Evaluates to the number of failures (0 or 1) so that callers can add them up.
#define CHECK(condition) ((condition) ? 0 : CheckFailed(__FILE__, __LINE__, #condition))

// Checks that live in the other translation unit.
int CheckStringsCollectionsAndTools();
int CheckThreadsAndHost();

#endif  // CONSUMER_CHECK_H
