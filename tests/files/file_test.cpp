// The files subsystem: CPortableFile (open-flag word, truncation, failures, positioning,
// ownership, status), CPortableStdioFile (fdopen modes, chunked line reading, lines into a
// CStringList), CPortableFileFind and GetFullPathName. fdopen is interposed in this executable:
// it records the mode string the library asks for, then forwards to the real one.
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "VelqonMfcContainers.h"
#include "processes.h"
#include "temp_dir.h"
#include "velqontools.h"

namespace {

std::string g_lastMode;

mode_t ModeOf(std::string const& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Every ReadString(CPortableString&) result and text until it returns 0, as "result:text|".
std::string ReadAll(std::string const& content) {
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

typedef std::set<std::string> Names;

// Every name a search yields, from FindFile to the FindNextFile that returns 0.
Names Search(CPortableFileFind& finder, char const* pattern) {
    Names names;
    for (int more = finder.FindFile(pattern); more; more = finder.FindNextFile()) {
        names.insert(finder.GetFileName());
    }
    EXPECT_EQ(nullptr, finder.m_pDir) << "an exhausted search closes its stream";
    return names;
}

std::string WorkingDirectory() {
    char cwd[1024];
    return getcwd(cwd, sizeof cwd) ? cwd : "";
}

}  // namespace

extern "C" FILE* fdopen(int descriptor, char const* mode) noexcept {
    static auto const real =
        reinterpret_cast<FILE* (*)(int, char const*)>(dlsym(RTLD_NEXT, "fdopen"));
    g_lastMode = mode;
    return real(descriptor, mode);
}

// Access values 0-3 give read-only, write-only, read-write, read-only, never O_APPEND; the
// share field picks the creation mode, under the umask, and leaves an existing file's alone.
TEST(CPortableFileTest, FlagWordToOpenFlagsAndModes) {
    TempDir dir;
    std::string const path = dir.Write("f", "data");
    int const access[4] = {O_RDONLY, O_WRONLY, O_RDWR, O_RDONLY};
    for (unsigned int value = 0; value < 4; ++value) {
        EXPECT_EQ(access[value],
                  fcntl(CPortableFile(path.c_str(), value | 0x4000).m_hFile, F_GETFL) &
                      (O_ACCMODE | O_APPEND));
    }
    mode_t const saved = umask(022);
    mode_t const modes[8] = {0600, 0600, 0444, 0644, 0644, 0600, 0600, 0600};
    for (unsigned int share = 0; share < 8; ++share) {
        std::string const created = dir.File("s" + std::to_string(share));
        CPortableFile file(created.c_str(), 0x1001 | share << 4);
        EXPECT_EQ(modes[share], ModeOf(created)) << "share " << share;
    }
    umask(saved);
    EXPECT_NE(-1, CPortableFile(dir.File("s2").c_str(), 0x3040).m_hFile);
    EXPECT_EQ(0444u, ModeOf(dir.File("s2")));
}

// 0x1000 truncates unless 0x2000 is set too; 0x2000 alone never creates.
TEST(CPortableFileTest, TruncationVersusPreservation) {
    TempDir dir;
    std::string const path = dir.Write("f", "hello");
    EXPECT_EQ(5u, CPortableFile(path.c_str(), 0x3002).GetLength());
    EXPECT_EQ(5u, CPortableFile(path.c_str(), 0x2002).GetLength());
    EXPECT_EQ(0u, CPortableFile(path.c_str(), 0x1002).GetLength());
    EXPECT_EQ(-1, CPortableFile(dir.File("new").c_str(), 0x2002).m_hFile);
    EXPECT_NE(0, access(dir.File("new").c_str(), F_OK));
}

// A failed open returns 0 with open's errno and keeps the name, or throws the integer 0 when an
// exception pointer is given; the three-argument constructor throws even with a null pointer.
TEST(CPortableFileTest, FailedOpen) {
    auto thrown = [](auto open) {
        try {
            open();
        } catch (int value) {
            return value;
        }
        return -1;
    };
    TempDir dir;
    std::string const missing = dir.File("missing");
    CPortableFile file;
    errno = 0;
    EXPECT_EQ(0, file.Open(missing.c_str(), 0x0));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_STREQ(missing.c_str(), file.m_strFileName);
    CPortableFileException exception;
    EXPECT_EQ(0, thrown([&] { file.Open(missing.c_str(), 0x2, &exception); }));
    EXPECT_EQ(0, thrown([&] { CPortableFile(missing.c_str(), 0x0, nullptr); }));
    EXPECT_EQ(-1, thrown([&] { CPortableFile(dir.Write("f", "").c_str(), 0x0, nullptr); }));
}

// GetLength keeps the position and offsets keep their sign; a count of 0 makes no system call
// (so it answers 0 even on a closed object); a wrapped descriptor outlives the object, not Close.
TEST(CPortableFileTest, PositionLengthAndOwnership) {
    TempDir dir;
    CPortableFile file(dir.File("f").c_str(), 0x1002);
    file.Write("0123456789", 10);
    EXPECT_EQ(3, file.Seek(3, 0));
    EXPECT_EQ(10u, file.GetLength());
    EXPECT_EQ(3, file.GetPosition());
    EXPECT_EQ(8, file.Seek(-2, 2));
    char buffer[4] = {};
    EXPECT_EQ(2, file.Read(buffer, 3));
    EXPECT_STREQ("89", buffer);
    CPortableFile closed;
    EXPECT_EQ(0, closed.Read(buffer, 0));
    EXPECT_EQ(-1, closed.Read(buffer, 1));
    int const descriptor = dup(file.m_hFile);
    { CPortableFile wrapped(descriptor); }
    EXPECT_NE(-1, fcntl(descriptor, F_GETFD));
    CPortableFile(descriptor).Close();
    EXPECT_EQ(-1, fcntl(descriptor, F_GETFD));
}

// GetStatus stores the three times in order, the low 32 bits of the size (sparse file beyond
// 4 GiB) and the path as given cut to 259 characters; it never writes the reserved byte, and on
// a missing path the record stays as it was.
TEST(CPortableFileTest, GetStatus) {
    TempDir dir;
    std::string const path = dir.Path() + std::string(300, '/') + "big";
    CPortableFile file(path.c_str(), 0x1002);
    ASSERT_EQ(0, ftruncate(file.m_hFile, 0x100000005LL));
    EXPECT_EQ(5u, file.GetLength());
    struct timespec const accessAndModification[2] = {{1000, 0}, {2000, 0}};
    ASSERT_EQ(0, futimens(file.m_hFile, accessAndModification));
    CPortableFileStatus status;
    memset(static_cast<void*>(&status), 0x5A, sizeof status);
    ASSERT_EQ(1, CPortableFile::GetStatus(path.c_str(), status));
    EXPECT_LT(2000, status.m_ctime.GetTime());
    EXPECT_EQ(2000, status.m_mtime.GetTime());
    EXPECT_EQ(1000, status.m_atime.GetTime());
    EXPECT_EQ(5u, status.m_size);
    EXPECT_EQ(0, status.m_attribute);
    EXPECT_EQ(0x5A, status._m_padding);
    EXPECT_EQ(path.substr(0, 259), status.m_szFullName);
    unsigned char before[sizeof status];
    memcpy(before, static_cast<void*>(&status), sizeof status);
    EXPECT_EQ(0, CPortableFile::GetStatus(dir.File("missing").c_str(), status));
    EXPECT_EQ(0, memcmp(before, &status, sizeof status));
}

// Every row of the mode table on an existing file; bit 0x4000 is cleared and changes nothing.
TEST(CPortableStdioFileTest, ModeStringForEveryRow) {
    std::pair<unsigned int, char const*> const rows[] = {
        {0x3001, "a"},  {0x3003, "a"}, {0x3000, "a+"}, {0x3002, "a+"},
        {0x1001, "w"},  {0x1003, "w"}, {0x1000, "w+"}, {0x1002, "w+"},
        {0x0001, "a"},  {0x2001, "a"}, {0x0003, "a"},  {0x0002, "r+"},
        {0x2002, "r+"}, {0x0000, "r"}, {0x4000, "r"},  {0x4002, "r+"}};
    TempDir dir;
    for (auto const& row : rows) {
        g_lastMode = "(none)";
        CPortableStdioFile file(dir.Write("f", "content").c_str(), row.first);
        EXPECT_EQ(row.second, g_lastMode) << "flags 0x" << std::hex << row.first;
    }
}

// Access value 3 with no create bit asks for "a" on a read-only descriptor: fdopen fails, the
// descriptor is closed (not leaked) and the name emptied, the ownership flag left set.
TEST(CPortableStdioFileTest, FdopenFailureClosesDescriptor) {
    TempDir dir;
    std::string const path = dir.Write("f", "keep");
    int const before = OpenDescriptors().size();
    CPortableStdioFile file;
    EXPECT_EQ(0, file.Open(path.c_str(), 0x3));
    EXPECT_EQ(before, OpenDescriptors().size());
    EXPECT_EQ(nullptr, file.m_pStream);
    EXPECT_EQ(-1, file.m_hFile);
    EXPECT_EQ(1, file.m_bCloseOnDelete);
    EXPECT_EQ(0, file.m_strFileName.GetLength());
}

// Positioning goes through the stream: GetLength sees buffered writes and keeps the position,
// a failed fseek leaves it; the buffer form keeps the line feed; Close keeps the name.
TEST(CPortableStdioFileTest, StreamPositionAndClose) {
    TempDir dir;
    int const before = OpenDescriptors().size();
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
    EXPECT_EQ(before, OpenDescriptors().size());
    EXPECT_STREQ(dir.File("f").c_str(), file.m_strFileName);
    // A descriptor opened by the inherited three-argument Open, with no stream, is closed too.
    for (auto const end : {&CPortableStdioFile::Close, &CPortableStdioFile::Abort}) {
        ASSERT_EQ(1, file.Open(dir.File("f").c_str(), 0x0, nullptr));
        (file.*end)();
        EXPECT_EQ(before, OpenDescriptors().size());
    }
}

// Lines around the 127-character chunk; only the line feed goes, CR stays, empty lines count, a
// missing final line feed still ends a line, and a zero byte ends the text of its chunk. (Final
// lines of 126, 127 and 128 characters without a line feed are seeds of the read_string fuzz
// target, whose corpus replays as a test.)
TEST(CPortableStdioFileTest, ReadStringLines) {
    std::string const l126(126, 'a'), l127(127, 'b'), l128(128, 'c'), l254(254, 'd');
    std::string const zeroChunk = std::string("ab\0", 3) + std::string(124, 'z');
    std::string const cases[][2] = {
        {l126 + "\n" + l127 + "\n" + l128 + "\n" + l254 + "\n",
         "1:" + l126 + "|1:" + l127 + "|1:" + l128 + "|1:" + l254 + "|0:|"},
        {"first\r\nsecond", "1:first\r|1:second|0:|"},
        {"\nx\n", "1:|1:x|0:|"},
        {"", "0:|"},
        {std::string("ab\0cd\nnext\n", 11), "1:ab|1:next|0:|"},
        {zeroChunk + "tail\n", "1:ab|1:tail|0:|"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(c[1], ReadAll(c[0]));
    }
}

// End to end: each line of a text file arrives once, in order, without its line feed; each
// element shares the block the line was read into until the reader moves on.
TEST(ReadIntoStringListTest, EveryLineArrivesInOrder) {
    std::string const lines[] = {
        "first",       "", "carriage return\r", std::string(127, 'x'), std::string(300, 'y'),
        "no line feed"};
    std::string content;
    for (std::string const& line : lines) {
        content += line + (&line == &lines[5] ? "" : "\n");
    }
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

// "*" never yields names with a leading period, ".*" does; the first entry never comes back; a
// finished search starts again from the top; a slash never matches, brackets do; over-long and
// null patterns are refused; neither a restart nor the destructor leaks the stream.
TEST(CPortableFileFindTest, PatternsAndSkippedFirstEntry) {
    TempDir dir;
    for (char const* name : {"a.txt", "b.txt", "c.log", ".hidden", "sub"}) {
        dir.Write(name, "x");
    }
    DIR* stream = opendir(dir.Path().c_str());
    std::string const first = readdir(stream)->d_name;
    closedir(stream);
    auto const withoutFirst = [&](Names names) { return names.erase(first), names; };
    int const before = OpenDescriptors().size();
    {
        CPortableFileFind finder(dir.Path().c_str());
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt", "c.log", "sub"}), Search(finder, "*"));
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt", "c.log", "sub"}), Search(finder, "*"));
        EXPECT_EQ(withoutFirst({".", "..", ".hidden"}), Search(finder, ".*"));
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt"}), Search(finder, "[ab].txt"));
        EXPECT_EQ(0u, Search(finder, first.c_str()).size());
        EXPECT_EQ(0, finder.FindFile("../*"));
        EXPECT_EQ(0, finder.FindFile(nullptr));
        EXPECT_EQ(0, finder.FindFile(std::string(1024, '*').c_str()));
        EXPECT_EQ(0, finder.FindNextFile());
        EXPECT_EQ(dir.Path(), finder.GetFilePath());
        ASSERT_EQ(1, finder.FindFile(std::string(1023, '*').c_str()));
        ASSERT_EQ(1, finder.FindFile("*"));
        EXPECT_EQ(before + 1, OpenDescriptors().size());
    }
    EXPECT_EQ(before, OpenDescriptors().size());
    EXPECT_EQ(WorkingDirectory(), CPortableFileFind().GetFilePath());
    EXPECT_EQ(WorkingDirectory(), CPortableFileFind(nullptr).GetFilePath());
}

// Names are appended unchanged; a buffer of exactly directory + name + 2 fits, one byte less
// returns 0 and leaves the buffer alone.
TEST(GetFullPathNameTest, AppendsNameAndRespectsBufferLength) {
    std::string const base = WorkingDirectory();
    char buffer[1100];
    EXPECT_EQ(base.size() + 7, GetFullPathName("/etc/x", sizeof buffer, buffer, nullptr));
    EXPECT_EQ(base + "//etc/x", buffer);
    unsigned int const exact = static_cast<unsigned int>(base.size()) + 4 + 2;
    memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(0u, GetFullPathName("name", exact - 1, buffer, nullptr));
    EXPECT_EQ('Z', buffer[0]);
    EXPECT_EQ(exact - 1, GetFullPathName("name", exact, buffer, nullptr));
    EXPECT_EQ(base + "/name", buffer);
    EXPECT_EQ('Z', buffer[exact]);
}
