// CPortableStdioFile: the fdopen mode for every row of the flag table, fdopen failure, stream
// positioning and chunked line reading. fdopen is interposed in this executable: it records the
// mode string the library asks for, then forwards to the real one.
#include <dlfcn.h>
#include <stdio.h>

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

// The mode Open hands to fdopen for `flags`, on an existing file.
std::string ModeFor(unsigned int flags) {
    TempDir dir;
    g_lastMode = "(none)";
    CPortableStdioFile file(dir.Write("f", "content").c_str(), flags);
    return g_lastMode;
}

// Every ReadString(CPortableString&) result and text until it returns 0, as "result:text|".
std::string ReadAll(std::string const& content) {
    TempDir dir;
    CPortableStdioFile file(dir.Write("f", content).c_str(), 0x0);
    std::string log;
    CPortableString line;
    int more;
    do {
        more = file.ReadString(line);
        log += std::to_string(more) + ":" + static_cast<char const*>(line) + "|";
    } while (more);
    return log;
}

}  // namespace

// Every row of the mode table; bit 0x4000 is cleared and changes nothing.
TEST(CPortableStdioFileTest, ModeStringForEveryRow) {
    unsigned int const flags[] = {0x3001, 0x3003, 0x3000, 0x3002, 0x1001, 0x1003, 0x1000, 0x1002,
                                  0x0001, 0x2001, 0x0003, 0x0002, 0x2002, 0x0000, 0x4000, 0x4002};
    char const* const modes[] = {"a", "a", "a+", "a+", "w",  "w", "w+", "w+",
                                 "a", "a", "a",  "r+", "r+", "r", "r",  "r+"};
    for (size_t i = 0; i < sizeof flags / sizeof flags[0]; ++i)
        EXPECT_EQ(modes[i], ModeFor(flags[i])) << "flags 0x" << std::hex << flags[i];
}

// Access value 3 with no create bit asks for "a" on a read-only descriptor: fdopen fails, the
// descriptor is closed (not leaked) and the name emptied, the ownership flag left set.
TEST(CPortableStdioFileTest, FdopenFailureClosesDescriptor) {
    TempDir dir;
    std::string const path = dir.Write("f", "keep");
    int const before = OpenDescriptorCount();
    CPortableStdioFile file;
    EXPECT_EQ(0, file.Open(path.c_str(), 0x3));
    EXPECT_EQ(before, OpenDescriptorCount());
    EXPECT_EQ(nullptr, file.m_pStream);
    EXPECT_EQ(-1, file.m_hFile);
    EXPECT_EQ(1, file.m_bCloseOnDelete);
    EXPECT_EQ(0, file.m_strFileName.GetLength());
}

// Positioning goes through the stream: GetLength sees buffered writes and keeps the position,
// a failed fseek leaves it, and Close keeps the name.
TEST(CPortableStdioFileTest, StreamPositionAndClose) {
    TempDir dir;
    int const before = OpenDescriptorCount();
    CPortableStdioFile file(dir.File("f").c_str(), 0x1002);
    file.WriteString("0123456789");
    EXPECT_EQ(4, file.Seek(4, 0));
    EXPECT_EQ(10u, file.GetLength());
    EXPECT_EQ(4, file.GetPosition());
    EXPECT_EQ(4, file.Seek(-20, 0));
    char buffer[8] = {};
    EXPECT_EQ(buffer, file.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("456789", buffer);
    EXPECT_EQ(nullptr, file.ReadString(buffer, sizeof buffer));
    file.Close();
    EXPECT_EQ(before, OpenDescriptorCount());
    EXPECT_STREQ(dir.File("f").c_str(), file.m_strFileName);
}

// Lines of 126, 127, 128 and 254 characters around the 127-character chunk; a last line of
// exactly 127 characters without line feed comes back with 0.
TEST(CPortableStdioFileTest, ReadStringChunkBoundaries) {
    std::string const l126(126, 'a'), l127(127, 'b'), l128(128, 'c'), l254(254, 'd');
    EXPECT_EQ("1:" + l126 + "|1:" + l127 + "|1:" + l128 + "|1:" + l254 + "|0:|",
              ReadAll(l126 + "\n" + l127 + "\n" + l128 + "\n" + l254 + "\n"));
    EXPECT_EQ("1:x|0:" + l127 + "|", ReadAll("x\n" + l127));
    EXPECT_EQ("1:" + l128 + "|0:|", ReadAll(l128));
}

// Only the line feed goes: CR stays, empty lines count, a missing final line feed still ends a
// line, and a zero byte ends the text of its chunk (reading goes on after that chunk).
TEST(CPortableStdioFileTest, ReadStringLineEnds) {
    EXPECT_EQ("1:first\r|1:second|0:|", ReadAll("first\r\nsecond"));
    EXPECT_EQ("1:|1:x|0:|", ReadAll("\nx\n"));
    EXPECT_EQ("0:|", ReadAll(""));
    EXPECT_EQ("1:ab|1:next|0:|", ReadAll(std::string("ab\0cd\nnext\n", 11)));
    std::string const fullChunk = std::string("ab\0", 3) + std::string(124, 'z');
    EXPECT_EQ("1:ab|1:tail|0:|", ReadAll(fullChunk + "tail\n"));
}
