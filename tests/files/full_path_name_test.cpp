// GetFullPathName: working directory, slash and name, all or nothing.
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "velqontools.h"

// The name is appended unchanged; the result length excludes the terminator.
TEST(GetFullPathNameTest, PrefixesWorkingDirectory) {
    TempDir dir;
    ScopedWorkingDirectory inside(dir.path());
    char cwd[1024];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    std::string const base(cwd);
    char buffer[2048];
    EXPECT_EQ(base.size() + 2, GetFullPathName("x", sizeof buffer, buffer, nullptr));
    EXPECT_EQ(base + "/x", buffer);
    EXPECT_EQ(base.size() + 7, GetFullPathName("/etc/x", sizeof buffer, buffer, nullptr));
    EXPECT_EQ(base + "//etc/x", buffer);
    EXPECT_EQ(base.size() + 5, GetFullPathName("../y", sizeof buffer, buffer, nullptr));
    EXPECT_EQ(base + "/../y", buffer);
}

// A buffer of exactly directory + name + 2 fits; one byte less (or anything up to the directory
// length) returns 0 and leaves the buffer alone.
TEST(GetFullPathNameTest, BufferBoundaries) {
    TempDir dir;
    ScopedWorkingDirectory inside(dir.path());
    char cwd[1024];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    unsigned int const exact = static_cast<unsigned int>(strlen(cwd)) + 4 + 2;
    char buffer[1100];
    memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(0u, GetFullPathName("name", exact - 1, buffer, nullptr));
    EXPECT_EQ(0u, GetFullPathName("name", static_cast<unsigned int>(strlen(cwd)), buffer, nullptr));
    EXPECT_EQ(0u, GetFullPathName("", static_cast<unsigned int>(strlen(cwd)) + 1, buffer, nullptr));
    EXPECT_EQ('Z', buffer[0]);
    EXPECT_EQ(exact - 1, GetFullPathName("name", exact, buffer, nullptr));
    EXPECT_EQ('\0', buffer[exact - 1]);
    EXPECT_EQ('Z', buffer[exact]);
}

// A working directory longer than 1023 characters cannot be read: 0, buffer untouched.
TEST(GetFullPathNameTest, OverlongWorkingDirectory) {
    TempDir dir;
    ScopedWorkingDirectory inside(dir.path());
    std::string const level(200, 'd');
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(0, mkdir(level.c_str(), 0700));
        ASSERT_EQ(0, chdir(level.c_str()));
    }
    char buffer[4096] = "untouched";
    EXPECT_EQ(0u, GetFullPathName("x", sizeof buffer, buffer, nullptr));
    EXPECT_STREQ("untouched", buffer);
}
