// The files subsystem beyond line reading (the read_string fuzz target). fdopen is interposed in
// this executable: it records the mode string the library asks for, then forwards to the real one.
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <regex.h>
#include <string.h>

#include "VelqonMFC.h"
#include "processes.h"
#include "temp_dir.h"
#include "velqontools.h"

namespace {

std::string lastStreamMode;

mode_t ModeOf(std::string const& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::set<std::string> Search(CPortableFileFind& finder, char const* pattern) {
    std::set<std::string> names;
    for (int more = finder.FindFile(pattern); more; more = finder.FindNextFile()) {
        names.insert(finder.GetFileName());
    }
    EXPECT_EQ(nullptr, finder.m_pDir);
    return names;
}

}  // namespace

extern "C" FILE* fdopen(int descriptor, char const* mode) noexcept {
    static auto const real =
        reinterpret_cast<FILE* (*)(int, char const*)>(dlsym(RTLD_NEXT, "fdopen"));
    lastStreamMode = mode;
    return real(descriptor, mode);
}

// Access bits, the created file's mode (under the umask), truncation; a failed open's report.
TEST(CPortableFileTest, OpenFlagWord) {
    TempDir dir;
    std::string const path = dir.Write("f", "data"), missing = dir.File("missing");
    int const accessModes[4] = {O_RDONLY, O_WRONLY, O_RDWR, O_RDONLY};  // never O_APPEND
    mode_t const saved = umask(022);
    mode_t const modes[8] = {0600, 0600, 0444, 0644, 0644, 0600, 0600, 0600};
    for (unsigned int value = 0; value < 8; ++value) {
        CPortableFile const file(path.c_str(), value % 4 | 0x4000);
        EXPECT_EQ(accessModes[value % 4], fcntl(file.m_hFile, F_GETFL) & (O_ACCMODE | O_APPEND));
        std::string const created = dir.File("s" + std::to_string(value));
        CPortableFile(created.c_str(), 0x1001 | value << 4);
        EXPECT_EQ(modes[value], ModeOf(created)) << "share " << value;
    }
    umask(saved);
    EXPECT_TRUE(CPortableFile(dir.File("s2").c_str(), 0x3040).m_hFile != -1 &&
                ModeOf(dir.File("s2")) == 0444);  // an existing file's mode stays
    EXPECT_EQ(4u, CPortableFile(path.c_str(), 0x3002).GetLength());
    EXPECT_EQ(4u, CPortableFile(path.c_str(), 0x2002).GetLength());
    EXPECT_EQ(0u, CPortableFile(path.c_str(), 0x1002).GetLength());
    EXPECT_TRUE(CPortableFile(missing.c_str(), 0x2002).m_hFile == -1 && ModeOf(missing) == 0);
    auto const thrown = [](std::function<void()> const& open) {
        try {
            open();
        } catch (int value) {
            return value;
        }
        return -1;
    };
    CPortableFile file;
    CPortableFileException exception;
    errno = 0;
    EXPECT_EQ(0, file.Open(missing.c_str(), 0x0));
    EXPECT_TRUE(errno == ENOENT && missing == file.m_strFileName.GetString());
    EXPECT_EQ(0, thrown([&] { file.Open(missing.c_str(), 0x2, &exception); }));
    EXPECT_EQ(0, thrown([&] { CPortableFile(missing.c_str(), 0x0, nullptr); }));  // null or not
    EXPECT_EQ(-1, thrown([&] { CPortableFile(path.c_str(), 0x0, nullptr); }));
}

// Positioning, no system call for a count of 0, ownership; GetStatus's times, size and path.
TEST(CPortableFileTest, PositionOwnershipAndStatus) {
    TempDir dir;
    std::string const path = dir.Path() + std::string(300, '/') + "big";
    CPortableFile file(path.c_str(), 0x1002);
    file.Write("0123456789", 10);
    EXPECT_TRUE(file.Seek(3, 0) == 3 && file.GetLength() == 10 && file.GetPosition() == 3 &&
                file.Seek(-2, 2) == 8);
    char buffer[4] = {};
    EXPECT_TRUE(file.Read(buffer, 3) == 2 && strcmp(buffer, "89") == 0);
    CPortableFile closed;
    errno = 0;
    closed.Write(buffer, 0);
    EXPECT_TRUE(closed.Read(buffer, 0) == 0 && errno == 0 && closed.Read(buffer, 1) == -1);
    int const descriptor = dup(file.m_hFile);
    { CPortableFile wrapped(descriptor); }
    EXPECT_NE(-1, fcntl(descriptor, F_GETFD));
    CPortableFile(descriptor).Close();
    EXPECT_EQ(-1, fcntl(descriptor, F_GETFD));
    struct timespec const accessAndModification[2] = {{1000, 0}, {2000, 0}};
    ASSERT_EQ(0,
              ftruncate(file.m_hFile, 0x100000005) + futimens(file.m_hFile, accessAndModification));
    CPortableFileStatus status;
    memset(static_cast<void*>(&status), 0x5A, sizeof status);
    ASSERT_EQ(1, CPortableFile::GetStatus(path.c_str(), status));
    EXPECT_TRUE(status.m_ctime.GetTime() > 2000 && status.m_mtime.GetTime() == 2000 &&
                status.m_atime.GetTime() == 1000 && status.m_size == 5 && file.GetLength() == 5);
    EXPECT_TRUE(status.m_attribute == 0 && status._m_padding == 0x5A);  // padding unwritten
    EXPECT_EQ(path.substr(0, 259), status.m_szFullName);
    status.m_mtime = 3000;
    CPortableFile::SetStatus(path.c_str(), status);  // changes nothing
    unsigned char before[sizeof status];
    memcpy(before, static_cast<void*>(&status), sizeof status);
    EXPECT_EQ(0, CPortableFile::GetStatus(dir.File("missing").c_str(), status));
    EXPECT_EQ(0, memcmp(before, &status, sizeof status));
    EXPECT_TRUE(CPortableFile::GetStatus(path.c_str(), status) && status.m_mtime.GetTime() == 2000);
    file.Close();  // unlike the stream file's, this Close empties the name
    EXPECT_TRUE(file.m_hFile == -1 && file.m_strFileName.IsEmpty());
}

// The mode string of every row; reading, writing and positioning through the stream; closing.
TEST(CPortableStdioFileTest, ModesAndStreamIo) {
    std::pair<unsigned int, char const*> const rows[] = {
        {0x3001, "a"},  {0x3003, "a"}, {0x3000, "a+"}, {0x3002, "a+"},
        {0x1001, "w"},  {0x1003, "w"}, {0x1000, "w+"}, {0x1002, "w+"},
        {0x0001, "a"},  {0x2001, "a"}, {0x0003, "a"},  {0x0002, "r+"},
        {0x2002, "r+"}, {0x0000, "r"}, {0x4000, "r"},  {0x4002, "r+"}};
    TempDir dir;
    std::string const path = dir.Write("f", "content");
    size_t const before = OpenDescriptors().size();
    for (auto const& row : rows) {
        lastStreamMode.clear();
        CPortableStdioFile file(path.c_str(), row.first);
        EXPECT_EQ(row.second, lastStreamMode) << "flags 0x" << std::hex << row.first;
        // 0x3 gives "a" on a read-only descriptor: fdopen fails, the descriptor is closed.
        EXPECT_TRUE(row.first != 3 ||
                    (before == OpenDescriptors().size() && !file.m_pStream && file.m_hFile == -1 &&
                     file.m_bCloseOnDelete == 1 && file.m_strFileName.IsEmpty()));
    }
    CPortableStdioFile file(path.c_str(), 0x1002);
    file.WriteString("0123");
    file.Write("456789\n", 7);
    EXPECT_TRUE(file.Seek(4, 0) == 4 && file.GetLength() == 11 && file.GetPosition() == 4 &&
                file.Seek(-20, 0) == 4);
    char buffer[8] = {};
    EXPECT_TRUE(file.Read(buffer, 2) == 2 && memcmp(buffer, "45", 2) == 0);
    EXPECT_TRUE(file.ReadString(buffer, sizeof buffer) == buffer && strcmp(buffer, "6789\n") == 0);
    EXPECT_EQ(nullptr, file.ReadString(buffer, sizeof buffer));
    // Close and Abort keep the name and close the descriptor, with a stream or without one.
    for (auto const end :
         {&CPortableStdioFile::Abort, &CPortableStdioFile::Close, &CPortableStdioFile::Abort}) {
        (file.*end)();
        EXPECT_TRUE(before == OpenDescriptors().size() && path == file.m_strFileName.GetString());
        ASSERT_EQ(1, file.Open(path.c_str(), 0x0, nullptr));  // the descriptor only
    }
    file.Close();
    ASSERT_EQ(1, file.Open(path.c_str(), 0x1));  // failed reads clear the error indicator
    CPortableString line("x");
    EXPECT_EQ(0, file.Read(buffer, 1) + file.ReadString(line));
    EXPECT_EQ(nullptr, file.ReadString(buffer, sizeof buffer));
    EXPECT_TRUE(line.IsEmpty() && !ferror(file.m_pStream) && !feof(file.m_pStream));
}

// Search patterns, skipped first entry, leaks; GetFullPathName's fit; both with getcwd failing.
TEST(CPortableFileFindTest, PatternsAndPaths) {
    TempDir dir;
    for (char const* name : {"a.txt", "b.txt", "c.log", ".hidden", "sub"}) {
        dir.Write(name, "x");
    }
    DIR* stream = opendir(dir.Path().c_str());
    std::string const first = readdir(stream)->d_name;
    closedir(stream);
    auto const withoutFirst = [&](std::set<std::string> names) {
        return names.erase(first), names;
    };
    size_t const before = OpenDescriptors().size();
    {
        CPortableFileFind finder(dir.Path().c_str());
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt", "c.log", "sub"}), Search(finder, "*"));
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt", "c.log", "sub"}), Search(finder, "*"));
        EXPECT_EQ(withoutFirst({".", "..", ".hidden"}), Search(finder, ".*"));
        EXPECT_EQ(withoutFirst({"a.txt", "b.txt"}), Search(finder, "[ab].txt"));
        EXPECT_EQ(0u, Search(finder, first.c_str()).size() + Search(finder, "../*").size());
        EXPECT_EQ(0, finder.FindFile(nullptr) + finder.FindNextFile() +
                         finder.FindFile(std::string(1024, '*').c_str()));
        EXPECT_EQ(dir.Path(), finder.GetFilePath());
        EXPECT_TRUE(!finder.GetFileTitle() && !finder.GetFileURL() && !finder.GetRoot());
        EXPECT_TRUE(!finder.GetLength() && !finder.GetCreationTime() &&
                    !finder.GetLastAccessTime() && !finder.GetLastWriteTime());
        ASSERT_EQ(1, finder.FindFile(std::string(1023, '*').c_str()));
        finder.m_pRegex = new regex_t;
        ASSERT_EQ(0, regcomp(finder.m_pRegex, "x", 0));
        ASSERT_EQ(1, finder.FindFile("*"));
        EXPECT_TRUE(finder.m_pRegex == nullptr && before + 1 == OpenDescriptors().size());
    }
    EXPECT_EQ(before, OpenDescriptors().size());
    EXPECT_EQ(0, CPortableFileFind(dir.File("missing").c_str()).FindFile("*"));
    CPortableDirectory const holder("path", "*");
    EXPECT_TRUE(holder.m_strPath.IsEmpty() && holder.m_vecEntries.empty());
    char buffer[1100];
    std::string const base = getcwd(buffer, sizeof buffer);
    EXPECT_TRUE(base == CPortableFileFind().GetFilePath() &&
                base == CPortableFileFind(nullptr).GetFilePath());
    EXPECT_EQ(base.size() + 7, GetFullPathName("/etc/x", sizeof buffer, buffer, nullptr));
    EXPECT_EQ(base + "//etc/x", buffer);
    unsigned int const exact = static_cast<unsigned int>(base.size()) + 4 + 2;
    memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(0u, GetFullPathName("name", exact - 1, buffer, nullptr) +
                      GetFullPathName("", base.size(), buffer, nullptr));
    EXPECT_EQ('Z', buffer[0]);
    EXPECT_EQ(exact - 1, GetFullPathName("name", exact, buffer, nullptr));
    EXPECT_TRUE(base + "/name" == buffer && buffer[exact] == 'Z');
    int const home = open(".", O_RDONLY | O_DIRECTORY);
    std::string const gone = dir.File("sub.d");
    ASSERT_TRUE(mkdir(gone.c_str(), 0700) == 0 && chdir(gone.c_str()) == 0 &&
                rmdir(gone.c_str()) == 0);
    EXPECT_EQ(0u, GetFullPathName("x", sizeof buffer, buffer, nullptr));
    EXPECT_STREQ("", CPortableFileFind().GetFilePath());
    EXPECT_TRUE(fchdir(home) == 0 && close(home) == 0);
}
