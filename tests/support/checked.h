// EXPECT_STOPS: the death-test form of the checked build's tests.
#ifndef VELQON_TESTS_SUPPORT_CHECKED_H
#define VELQON_TESTS_SUPPORT_CHECKED_H

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <string>

// The death-test child aborts: keep it from writing a core file anywhere.
inline void DisableCoreDumps() {
    prctl(PR_SET_DUMPABLE, 0);
}

// Expects `statement` to end the process with exactly "velqon: " + `message` + a line feed on
// standard error, and nothing else there.
#define EXPECT_STOPS(statement, message) \
    EXPECT_DEATH(                        \
        {                                \
            DisableCoreDumps();          \
            statement;                   \
        },                               \
        ::testing::Eq(std::string("velqon: ") + (message) + "\n"))

#endif  // VELQON_TESTS_SUPPORT_CHECKED_H
