// CPortableStdioFile: stream modes, append versus overwrite, positioning through the stream and
// chunked line reading. fdopen is interposed in this executable to record the mode string the
// library asks for, then forwards to the real one.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "temp_dir.h"

namespace {
std::string g_lastMode;
}  // namespace

extern "C" FILE* fdopen(int descriptor, char const* mode) noexcept {
    typedef FILE* (*Fdopen)(int, char const*);
    static Fdopen const real = reinterpret_cast<Fdopen>(dlsym(RTLD_NEXT, "fdopen"));
    g_lastMode = mode;
    return real(descriptor, mode);
}

namespace {

// The mode Open passes to fdopen for `flags`, on an existing file.
std::string ModeFor(unsigned int flags) {
    TempDir dir;
    g_lastMode = "(none)";
    CPortableStdioFile file(dir.Write("f", "content").c_str(), flags);
    return g_lastMode;
}

// Reads every line with ReadString(CPortableString&), recording results and texts.
std::string ReadAll(std::string const& content) {
    TempDir dir;
    CPortableStdioFile file(dir.Write("f", content).c_str(), 0x0);
    EXPECT_NE(nullptr, file.m_pStream);
    std::string log;
    CPortableString line;
    int more;
    do {
        more = file.ReadString(line);
        log += std::to_string(more) + ":" + std::string(line, line.GetLength()) + "|";
    } while (more);
    return log;
}

}  // namespace

// Every row of the mode table; bit 0x4000 is cleared and has no other effect.
TEST(CPortableStdioFileTest, ModeStringForEveryRow) {
    EXPECT_EQ("a", ModeFor(0x3001));
    EXPECT_EQ("a", ModeFor(0x3003));
    EXPECT_EQ("a+", ModeFor(0x3000));
    EXPECT_EQ("a+", ModeFor(0x3002));
    EXPECT_EQ("w", ModeFor(0x1001));
    EXPECT_EQ("w", ModeFor(0x1003));
    EXPECT_EQ("w+", ModeFor(0x1000));
    EXPECT_EQ("w+", ModeFor(0x1002));
    EXPECT_EQ("a", ModeFor(0x0001));
    EXPECT_EQ("a", ModeFor(0x2001));
    EXPECT_EQ("a", ModeFor(0x0003));
    EXPECT_EQ("r+", ModeFor(0x0002));
    EXPECT_EQ("r+", ModeFor(0x2002));
    EXPECT_EQ("r", ModeFor(0x0000));
    EXPECT_EQ("r", ModeFor(0x4000));
    EXPECT_EQ("r+", ModeFor(0x4002));
}

// Write-only without create appends; create truncates; create+keep appends in "a+" even after
// a seek to the start; "r+" overwrites in place.
TEST(CPortableStdioFileTest, AppendOverwriteAndTruncate) {
    TempDir dir;
    std::string const path = dir.Write("f", "hello");
    {
        CPortableStdioFile file(path.c_str(), 0x1);
        file.WriteString("+1");
    }
    EXPECT_EQ("hello+1", dir.Read("f"));
    {
        CPortableStdioFile file(path.c_str(), 0x3002);
        file.SeekToBegin();
        file.Write("+2", 2);
    }
    EXPECT_EQ("hello+1+2", dir.Read("f"));
    {
        CPortableStdioFile file(path.c_str(), 0x2);
        file.WriteString("J");
    }
    EXPECT_EQ("Jello+1+2", dir.Read("f"));
    {
        CPortableStdioFile file(path.c_str(), 0x1002);
        file.WriteString("new");
        file.SeekToBegin();
        char buffer[8] = {};
        EXPECT_EQ(3, file.Read(buffer, sizeof buffer - 1));
        EXPECT_STREQ("new", buffer);
    }
    EXPECT_EQ("new", dir.Read("f"));
}

// A read-only stream refuses writes; access value 3 with create+keep asks fdopen for "a" on a
// read-only descriptor, which fails: the descriptor is closed, not leaked.
TEST(CPortableStdioFileTest, FdopenFailureClosesDescriptor) {
    TempDir dir;
    std::string const path = dir.Write("f", "keep");
    {
        CPortableStdioFile file(path.c_str(), 0x0);
        file.WriteString("lost");
    }
    EXPECT_EQ("keep", dir.Read("f"));

    int const before = OpenDescriptorCount();
    CPortableStdioFile file;
    EXPECT_EQ(0, file.Open(path.c_str(), 0x3003));
    EXPECT_EQ(before, OpenDescriptorCount());
    EXPECT_EQ(nullptr, file.m_pStream);
    EXPECT_EQ(-1, file.m_hFile);
    EXPECT_EQ(1, file.m_bCloseOnDelete) << "legacy quirk: the flag stays set";
    EXPECT_EQ(0, file.m_strFileName.GetLength());

    CPortableStdioFile missing(dir.File("missing").c_str(), 0x0);
    EXPECT_EQ(nullptr, missing.m_pStream);
}

// Positioning goes through the stream: Seek answers ftell even when fseek fails, and GetLength
// (inherited) sees buffered writes and keeps the position.
TEST(CPortableStdioFileTest, SeekAndLengthThroughTheStream) {
    TempDir dir;
    CPortableStdioFile file(dir.File("f").c_str(), 0x1002);
    file.Write("0123456789", 10);
    EXPECT_EQ(10, file.GetPosition());
    EXPECT_EQ(4, file.Seek(4, 0));
    EXPECT_EQ(10u, file.GetLength());
    EXPECT_EQ(4, file.GetPosition());
    EXPECT_EQ(4, file.Seek(-20, 0)) << "a failed fseek leaves the position";
    EXPECT_EQ(7, file.Seek(3, 1));
    EXPECT_EQ(10, file.SeekToEnd());
    char buffer[4];
    EXPECT_EQ(0, file.Read(buffer, 0));
    EXPECT_EQ(0, file.Read(buffer, sizeof buffer));
}

// Close and Abort keep the name and close the stream (and its descriptor) exactly once.
TEST(CPortableStdioFileTest, CloseAndAbortKeepName) {
    TempDir dir;
    std::string const path = dir.Write("f", "x");
    int const before = OpenDescriptorCount();
    CPortableStdioFile file(path.c_str(), 0x0);
    EXPECT_EQ(before + 1, OpenDescriptorCount());
    file.Close();
    EXPECT_EQ(before, OpenDescriptorCount());
    EXPECT_STREQ(path.c_str(), file.m_strFileName);
    EXPECT_EQ(-1, file.m_hFile);
    EXPECT_EQ(0, file.m_bCloseOnDelete);

    ASSERT_EQ(1, file.Open(path.c_str(), 0x0));
    file.Abort();
    EXPECT_EQ(before, OpenDescriptorCount());
    EXPECT_EQ(nullptr, file.m_pStream);
    EXPECT_STREQ(path.c_str(), file.m_strFileName);
}

// The buffer form keeps the line feed and answers null at end of file.
TEST(CPortableStdioFileTest, ReadStringIntoBuffer) {
    TempDir dir;
    CPortableStdioFile file(dir.Write("f", "ab\ncd").c_str(), 0x0);
    char buffer[8];
    EXPECT_EQ(buffer, file.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("ab\n", buffer);
    EXPECT_EQ(buffer, file.ReadString(buffer, 2));
    EXPECT_STREQ("c", buffer);
    EXPECT_EQ(buffer, file.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("d", buffer);
    EXPECT_EQ(nullptr, file.ReadString(buffer, sizeof buffer));
}

// Lines of 126, 127 and 128 characters around the 127-character chunk, with and without a
// final line feed.
TEST(CPortableStdioFileTest, ReadStringChunkBoundaries) {
    std::string const l126(126, 'a'), l127(127, 'b'), l128(128, 'c'), l254(254, 'd');
    EXPECT_EQ("1:" + l126 + "|1:" + l127 + "|1:" + l128 + "|1:" + l254 + "|0:|",
              ReadAll(l126 + "\n" + l127 + "\n" + l128 + "\n" + l254 + "\n"));
    // A last line of exactly 127 characters without line feed comes back with 0.
    EXPECT_EQ("1:x|0:" + l127 + "|", ReadAll("x\n" + l127));
    EXPECT_EQ("1:" + l126 + "|0:|", ReadAll(l126));
    EXPECT_EQ("1:" + l128 + "|0:|", ReadAll(l128));
}

// Only the line feed goes: CR stays, empty lines are lines, a missing final line feed still
// ends a line, and a zero byte ends the text of its chunk.
TEST(CPortableStdioFileTest, ReadStringLineEnds) {
    EXPECT_EQ("1:first\r|1:second|0:|", ReadAll("first\r\nsecond"));
    EXPECT_EQ("1:|1:|1:x|0:|", ReadAll("\n\nx\n"));
    EXPECT_EQ("0:|", ReadAll(""));
    EXPECT_EQ("1:ab|1:next|0:|", ReadAll(std::string("ab\0cd\nnext\n", 11)));
    // A zero byte inside a full chunk: the rest of that chunk is dropped, reading goes on after.
    std::string const chunk = "ab" + std::string(1, '\0') + std::string(124, 'z');
    EXPECT_EQ("1:ab|1:tail|0:|", ReadAll(chunk + "tail\n"));
}

// Reading into a string that shares its block with another leaves the other untouched.
TEST(CPortableStdioFileTest, ReadStringDoesNotWriteIntoSharedBlock) {
    TempDir dir;
    CPortableStdioFile file(dir.Write("f", "one\ntwo\n").c_str(), 0x0);
    CPortableString line;
    ASSERT_EQ(1, file.ReadString(line));
    CPortableString const kept = line;
    ASSERT_EQ(1, file.ReadString(line));
    EXPECT_STREQ("one", kept);
    EXPECT_STREQ("two", line);
    EXPECT_EQ(1, line.GetData()->nRefCount);
}
