// GetFullPathName: working directory, slash and name, all or nothing.
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "velqontools.h"

// Names are appended unchanged; a buffer of exactly directory + name + 2 fits, one byte less
// returns 0 and leaves the buffer alone.
TEST(GetFullPathNameTest, AppendsNameAndRespectsBufferLength) {
    TempDir dir;
    ScopedWorkingDirectory inside(dir.path());
    char cwd[1024];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    std::string const base(cwd);
    char buffer[1100];
    EXPECT_EQ(base.size() + 2, GetFullPathName("x", sizeof buffer, buffer, nullptr));
    EXPECT_EQ(base + "/x", buffer);
    EXPECT_EQ(base.size() + 7, GetFullPathName("/etc/x", sizeof buffer, buffer, nullptr));
    EXPECT_EQ(base + "//etc/x", buffer);

    unsigned int const exact = static_cast<unsigned int>(base.size()) + 4 + 2;
    memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(0u, GetFullPathName("name", exact - 1, buffer, nullptr));
    EXPECT_EQ(0u, GetFullPathName("", static_cast<unsigned int>(base.size()), buffer, nullptr));
    EXPECT_EQ('Z', buffer[0]);
    EXPECT_EQ(exact - 1, GetFullPathName("name", exact, buffer, nullptr));
    EXPECT_EQ(base + "/name", buffer);
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
