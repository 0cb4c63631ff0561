// CPortableFileFind: wildcard matching, the skipped first entry, restarts and stream release.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "temp_dir.h"

namespace {

typedef std::set<std::string> Names;

// Every name a search yields, from FindFile to the FindNextFile that returns 0.
Names Search(CPortableFileFind& finder, char const* pattern) {
    Names names;
    for (int more = finder.FindFile(pattern); more; more = finder.FindNextFile())
        names.insert(finder.GetFileName());
    EXPECT_EQ(nullptr, finder.m_pDir) << "an exhausted search closes its stream";
    return names;
}

// Plain files, a hidden file and a subdirectory; `first_` is the entry the stream delivers
// first and `visible_`/`hidden_` all the others, split on a leading period.
class FileFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (char const* name : {"a.txt", "b.txt", "c.log", ".hidden"})
            dir_.Write(name, "x");
        mkdir(dir_.File("sub").c_str(), 0700);
        dir_.Write("sub/inner.txt", "x");
        DIR* stream = opendir(dir_.path().c_str());
        first_ = readdir(stream)->d_name;
        while (struct dirent* entry = readdir(stream))
            (entry->d_name[0] == '.' ? hidden_ : visible_).insert(entry->d_name);
        closedir(stream);
    }
    TempDir dir_;
    std::string first_;
    Names visible_, hidden_;
};

}  // namespace

// "*" never yields names with a leading period, ".*" does; the first entry never comes back;
// a finished search starts again from the top.
TEST_F(FileFindTest, LeadingPeriodsAndSkippedFirstEntry) {
    CPortableFileFind finder(dir_.path().c_str());
    EXPECT_EQ(visible_, Search(finder, "*"));
    EXPECT_EQ(visible_, Search(finder, "*"));
    EXPECT_EQ(hidden_, Search(finder, ".*"));
    EXPECT_EQ(0u, Search(finder, first_.c_str()).size());
    EXPECT_EQ(dir_.path(), finder.GetFilePath());
}

// A slash in a pattern never matches; brackets do; over-long and null patterns are refused
// before anything is opened; FindNextFile without a search answers 0.
TEST_F(FileFindTest, PatternRules) {
    CPortableFileFind finder(dir_.path().c_str());
    EXPECT_EQ(0, finder.FindFile("sub/*.txt"));
    EXPECT_EQ(0, finder.FindFile("*/inner.txt"));
    Names expected;
    for (char const* name : {"a.txt", "b.txt"})
        if (first_ != name)
            expected.insert(name);
    EXPECT_EQ(expected, Search(finder, "[ab].txt"));
    EXPECT_EQ(0, finder.FindFile(nullptr));
    EXPECT_EQ(0, finder.FindFile(std::string(1024, '*').c_str()));
    EXPECT_EQ(nullptr, finder.m_pDir);
    EXPECT_EQ(0, finder.FindNextFile());
    EXPECT_EQ(1, finder.FindFile(std::string(1023, '*').c_str()));
}

// The default constructor and a null directory both search the working directory.
TEST_F(FileFindTest, WorkingDirectoryByDefault) {
    ScopedWorkingDirectory inside(dir_.path());
    char cwd[1024];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    EXPECT_STREQ(cwd, CPortableFileFind().GetFilePath());
    EXPECT_STREQ(cwd, CPortableFileFind(nullptr).GetFilePath());
}

// Neither a restart nor dropping the finder mid-search leaks the directory stream.
TEST_F(FileFindTest, OpenSearchesAreClosed) {
    int const before = OpenDescriptorCount();
    {
        CPortableFileFind finder(dir_.path().c_str());
        ASSERT_EQ(1, finder.FindFile("*"));
        ASSERT_EQ(1, finder.FindFile("*"));
        EXPECT_EQ(before + 1, OpenDescriptorCount());
    }
    EXPECT_EQ(before, OpenDescriptorCount());
}
