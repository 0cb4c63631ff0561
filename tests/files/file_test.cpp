// CPortableFile: the open-flag word, truncation, failures, positioning, ownership and status.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "temp_dir.h"

static mode_t ModeOf(std::string const& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Access values 0-3 give read-only, write-only, read-write, read-only, never O_APPEND; the
// share field picks the creation mode, under the umask, and leaves an existing file's alone.
TEST(CPortableFileTest, FlagWordToOpenFlagsAndModes) {
    TempDir dir;
    std::string const path = dir.Write("f", "data");
    int const access[4] = {O_RDONLY, O_WRONLY, O_RDWR, O_RDONLY};
    for (unsigned int value = 0; value < 4; ++value)
        EXPECT_EQ(access[value],
                  fcntl(CPortableFile(path.c_str(), value | 0x4000).m_hFile, F_GETFL) &
                      (O_ACCMODE | O_APPEND));
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
    EXPECT_EQ(-1, file.m_hFile);
    EXPECT_EQ(0, file.m_bCloseOnDelete);
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
    std::string const path = dir.path() + std::string(300, '/') + "big";
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
