// CPortableFileFind: wildcard matching, the skipped first entry, restarts and resource release.
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

// The entries of a directory in stream order: the first one and all the others.
std::string FirstEntry(std::string const& directory, Names* others) {
    DIR* stream = opendir(directory.c_str());
    std::string first = readdir(stream)->d_name;
    while (struct dirent* entry = readdir(stream))
        others->insert(entry->d_name);
    closedir(stream);
    return first;
}

// A directory with plain files, a hidden file and a subdirectory.
class FileFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (char const* name : {"a.txt", "b.txt", "c.log", ".hidden"})
            dir_.Write(name, "x");
        mkdir(dir_.File("sub").c_str(), 0700);
        dir_.Write("sub/inner.txt", "x");
    }
    TempDir dir_;
};

}  // namespace

// "*" skips names with a leading period, ".*" finds them; the stream's first entry is never
// returned, whatever it is.
TEST_F(FileFindTest, StarSkipsHiddenNamesAndFirstEntryIsDropped) {
    Names others;
    std::string const first = FirstEntry(dir_.path(), &others);
    Names visible, hidden;
    for (std::string const& name : others)
        (name[0] == '.' ? hidden : visible).insert(name);

    CPortableFileFind finder(dir_.path().c_str());
    EXPECT_EQ(visible, Search(finder, "*"));
    EXPECT_EQ(hidden, Search(finder, ".*"));
    EXPECT_EQ(0u, Search(finder, first.c_str()).size());
}

// Patterns match bare names only: a slash never matches, brackets and literals do.
TEST_F(FileFindTest, PatternMatchingRules) {
    Names others;
    std::string const first = FirstEntry(dir_.path(), &others);
    CPortableFileFind finder(dir_.path().c_str());
    EXPECT_EQ(0, finder.FindFile("sub/*.txt"));
    EXPECT_EQ(0, finder.FindFile("*/inner.txt"));
    Names expected;
    for (char const* name : {"a.txt", "b.txt"})
        if (first != name)
            expected.insert(name);
    EXPECT_EQ(expected, Search(finder, "[ab].txt"));
    EXPECT_EQ(0, finder.FindFile("*.none"));
}

// A finished search can be started again from the start of the directory; the getters report
// the directory searched and the bare entry name.
TEST_F(FileFindTest, RestartAndGetters) {
    CPortableFileFind finder(dir_.path().c_str());
    Names const once = Search(finder, "*");
    EXPECT_EQ(once, Search(finder, "*"));
    ASSERT_EQ(1, finder.FindFile("*"));
    EXPECT_EQ(dir_.path(), finder.GetFilePath());
    EXPECT_EQ(1u, once.count(finder.GetFileName()));
    EXPECT_EQ(nullptr, finder.GetFileTitle());
    EXPECT_EQ(nullptr, finder.GetRoot());
    EXPECT_EQ(0u, finder.GetLength());
    finder.Close();
    EXPECT_EQ(nullptr, finder.m_pDir);
    EXPECT_EQ(0, finder.FindNextFile()) << "no search open";
}

// The default constructor, and a null directory, search the working directory of that moment.
TEST_F(FileFindTest, DefaultAndNullDirectoryMeanWorkingDirectory) {
    ScopedWorkingDirectory inside(dir_.path());
    char cwd[1024];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    CPortableFileFind byDefault;
    CPortableFileFind byNull(nullptr);
    EXPECT_STREQ(cwd, byDefault.GetFilePath());
    EXPECT_STREQ(cwd, byNull.GetFilePath());
    EXPECT_STREQ("", byDefault.GetFileName());
}

// Patterns of 1024 characters or more are refused before anything is opened; 1023 is accepted.
TEST_F(FileFindTest, OverlongPatternIsRefused) {
    CPortableFileFind finder(dir_.path().c_str());
    std::string pattern(1024, '*');
    EXPECT_EQ(0, finder.FindFile(pattern.c_str()));
    EXPECT_EQ(nullptr, finder.m_pDir);
    EXPECT_EQ(0, finder.FindFile(nullptr));
    pattern.resize(1023);
    EXPECT_EQ(1, finder.FindFile(pattern.c_str()));
}

// Neither dropping a finder mid-search nor starting a new search on it leaks the stream.
TEST_F(FileFindTest, OpenSearchesAreClosed) {
    int const before = OpenDescriptorCount();
    {
        CPortableFileFind finder(dir_.path().c_str());
        ASSERT_EQ(1, finder.FindFile("*"));
        ASSERT_EQ(1, finder.FindFile("*"));
        EXPECT_EQ(before + 1, OpenDescriptorCount());
    }
    EXPECT_EQ(before, OpenDescriptorCount());
    CPortableFileFind missing(dir_.File("missing").c_str());
    EXPECT_EQ(0, missing.FindFile("*"));
}
