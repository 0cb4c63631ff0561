// CPortableFileFind (wildcards, the skipped first entry, restarts, stream release) and
// GetFullPathName (working directory, slash and name, all or nothing).
#include <dirent.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "temp_dir.h"
#include "velqontools.h"

typedef std::set<std::string> Names;

// Every name a search yields, from FindFile to the FindNextFile that returns 0.
static Names Search(CPortableFileFind& finder, char const* pattern) {
    Names names;
    for (int more = finder.FindFile(pattern); more; more = finder.FindNextFile())
        names.insert(finder.GetFileName());
    EXPECT_EQ(nullptr, finder.m_pDir) << "an exhausted search closes its stream";
    return names;
}

static std::string WorkingDirectory() {
    char cwd[1024];
    return getcwd(cwd, sizeof cwd) ? cwd : "";
}

// "*" never yields names with a leading period, ".*" does; the first entry never comes back; a
// finished search starts again from the top; a slash never matches, brackets do; over-long and
// null patterns are refused; neither a restart nor the destructor leaks the stream.
TEST(CPortableFileFindTest, PatternsAndSkippedFirstEntry) {
    TempDir dir;
    for (char const* name : {"a.txt", "b.txt", "c.log", ".hidden", "sub"})
        dir.Write(name, "x");
    DIR* stream = opendir(dir.path().c_str());
    std::string const first = readdir(stream)->d_name;
    closedir(stream);
    auto const withoutFirst = [&](Names names) { return names.erase(first), names; };
    int const before = OpenDescriptorCount();
    {
        CPortableFileFind finder(dir.path().c_str());
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt", "c.log", "sub"}), Search(finder, "*"));
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt", "c.log", "sub"}), Search(finder, "*"));
        EXPECT_EQ(withoutFirst({".", "..", ".hidden"}), Search(finder, ".*"));
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt"}), Search(finder, "[ab].txt"));
        EXPECT_EQ(0u, Search(finder, first.c_str()).size());
        EXPECT_EQ(0, finder.FindFile("../*"));
        EXPECT_EQ(0, finder.FindFile(nullptr));
        EXPECT_EQ(0, finder.FindFile(std::string(1024, '*').c_str()));
        EXPECT_EQ(0, finder.FindNextFile());
        EXPECT_EQ(dir.path(), finder.GetFilePath());
        ASSERT_EQ(1, finder.FindFile(std::string(1023, '*').c_str()));
        ASSERT_EQ(1, finder.FindFile("*"));
        EXPECT_EQ(before + 1, OpenDescriptorCount());
    }
    EXPECT_EQ(before, OpenDescriptorCount());
    EXPECT_EQ(WorkingDirectory(), CPortableFileFind().GetFilePath());
    EXPECT_EQ(WorkingDirectory(), CPortableFileFind(nullptr).GetFilePath());
}

// Names are appended unchanged; a buffer of exactly directory + name + 2 fits, one byte less
// returns 0 and leaves the buffer alone, as does a working directory over 1023 characters.
TEST(GetFullPathNameTest, AppendsNameAndRespectsBufferLength) {
    std::string const base = WorkingDirectory();
    char buffer[1100];
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

    TempDir dir;
    int const saved = open(".", O_RDONLY);
    std::string const level(200, 'd');
    ASSERT_EQ(0, chdir(dir.path().c_str()));
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(mkdir(level.c_str(), 0700) == 0 && chdir(level.c_str()) == 0);
    buffer[0] = 'Z';
    EXPECT_EQ(0u, GetFullPathName("x", sizeof buffer, buffer, nullptr));
    EXPECT_EQ('Z', buffer[0]);
    EXPECT_EQ(0, fchdir(saved));
    close(saved);
}
