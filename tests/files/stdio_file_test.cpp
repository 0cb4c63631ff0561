// CPortableStdioFile: the fdopen mode for every row of the flag table, fdopen failure, stream
// positioning, chunked line reading, and lines read into a CStringList. fdopen is interposed in
// this executable: it records the mode string the library asks for, then forwards to the real one.
#include <dlfcn.h>
#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "VelqonMfcContainers.h"
#include "temp_dir.h"

namespace {
std::string g_lastMode;
}  // namespace

extern "C" FILE* fdopen(int descriptor, char const* mode) noexcept {
    static auto const real =
        reinterpret_cast<FILE* (*)(int, char const*)>(dlsym(RTLD_NEXT, "fdopen"));
    g_lastMode = mode;
    return real(descriptor, mode);
}

// Every ReadString(CPortableString&) result and text until it returns 0, as "result:text|".
static std::string ReadAll(std::string const& content) {
    TempDir dir;
    CPortableStdioFile file(dir.Write("f", content).c_str(), 0x0);
    std::string log;
    CPortableString line;
    for (int more = 1; more;) {
        more = file.ReadString(line);
        log += std::to_string(more) + ":" + static_cast<char const*>(line) + "|";
    }
    return log;
}

// Every row of the mode table on an existing file; bit 0x4000 is cleared and changes nothing.
TEST(CPortableStdioFileTest, ModeStringForEveryRow) {
    struct {
        unsigned int flags;
        char const* mode;
    } const rows[] = {{0x3001, "a"},  {0x3003, "a"}, {0x3000, "a+"}, {0x3002, "a+"},
                      {0x1001, "w"},  {0x1003, "w"}, {0x1000, "w+"}, {0x1002, "w+"},
                      {0x0001, "a"},  {0x2001, "a"}, {0x0003, "a"},  {0x0002, "r+"},
                      {0x2002, "r+"}, {0x0000, "r"}, {0x4000, "r"},  {0x4002, "r+"}};
    TempDir dir;
    for (auto const& row : rows) {
        g_lastMode = "(none)";
        CPortableStdioFile file(dir.Write("f", "content").c_str(), row.flags);
        EXPECT_EQ(row.mode, g_lastMode) << "flags 0x" << std::hex << row.flags;
    }
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
// a failed fseek leaves it; the buffer form keeps the line feed; Close keeps the name.
TEST(CPortableStdioFileTest, StreamPositionAndClose) {
    TempDir dir;
    int const before = OpenDescriptorCount();
    CPortableStdioFile file(dir.File("f").c_str(), 0x1002);
    file.WriteString("0123456789\n");
    EXPECT_EQ(4, file.Seek(4, 0));
    EXPECT_EQ(11u, file.GetLength());
    EXPECT_EQ(4, file.GetPosition());
    EXPECT_EQ(4, file.Seek(-20, 0));
    char buffer[8];
    EXPECT_EQ(buffer, file.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("456789\n", buffer);
    EXPECT_EQ(nullptr, file.ReadString(buffer, sizeof buffer));
    file.Close();
    EXPECT_EQ(before, OpenDescriptorCount());
    EXPECT_STREQ(dir.File("f").c_str(), file.m_strFileName);
}

// Lines around the 127-character chunk (a last line of exactly 127 characters without line feed
// comes back with 0); only the line feed goes, CR stays, empty lines count, a missing final line
// feed still ends a line, and a zero byte ends the text of its chunk.
TEST(CPortableStdioFileTest, ReadStringLines) {
    std::string const l126(126, 'a'), l127(127, 'b'), l128(128, 'c'), l254(254, 'd');
    std::string const zeroChunk = std::string("ab\0", 3) + std::string(124, 'z');
    std::string const cases[][2] = {
        {l126 + "\n" + l127 + "\n" + l128 + "\n" + l254 + "\n",
         "1:" + l126 + "|1:" + l127 + "|1:" + l128 + "|1:" + l254 + "|0:|"},
        {"x\n" + l127, "1:x|0:" + l127 + "|"},
        {l128, "1:" + l128 + "|0:|"},
        {"first\r\nsecond", "1:first\r|1:second|0:|"},
        {"\nx\n", "1:|1:x|0:|"},
        {"", "0:|"},
        {std::string("ab\0cd\nnext\n", 11), "1:ab|1:next|0:|"},
        {zeroChunk + "tail\n", "1:ab|1:tail|0:|"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c[1], ReadAll(c[0]));
}

// End to end: each line of a text file arrives once, in order, without its line feed; each
// element shares the block the line was read into until the reader moves on.
TEST(ReadIntoStringListTest, EveryLineArrivesInOrder) {
    std::string const lines[] = {
        "first",       "", "carriage return\r", std::string(127, 'x'), std::string(300, 'y'),
        "no line feed"};
    std::string content;
    for (std::string const& line : lines)
        content += line + (&line == &lines[5] ? "" : "\n");
    TempDir dir;
    CStringList list;
    {
        CPortableStdioFile file(dir.Write("text.txt", content).c_str(), 0x0);
        CPortableString line;
        while (file.ReadString(line)) {
            list.AddTail(line);
            EXPECT_EQ(line.GetData(), list.GetTail().GetData()) << "the element shares the line";
        }
    }
    ASSERT_EQ(6, list.GetCount());
    POSITION position = list.GetHeadPosition();
    for (std::string const& expected : lines) {
        CPortableString const& element = list.GetNext(position);
        EXPECT_EQ(expected, std::string(element, element.GetLength()));
        EXPECT_EQ(element.IsEmpty() ? -1 : 1, element.GetData()->nRefCount);
    }
}
