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

namespace {

mode_t ModeOf(std::string const& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Opens `path` with `flags`, expecting the int 0 to be thrown; false when nothing is thrown.
bool ThrowsZero(char const* path, unsigned int flags, CPortableFileException* exception) {
    try {
        CPortableFile file(path, flags, exception);
    } catch (int thrown) {
        EXPECT_EQ(0, thrown);
        return true;
    }
    return false;
}

}  // namespace

// Access values 0-3 give read-only, write-only, read-write, read-only, never O_APPEND; the
// share field picks the creation mode (umask 0 here), and leaves an existing file's mode alone.
TEST(CPortableFileTest, FlagWordToOpenFlagsAndModes) {
    TempDir dir;
    std::string const path = dir.Write("f", "data");
    int const access[4] = {O_RDONLY, O_WRONLY, O_RDWR, O_RDONLY};
    for (unsigned int value = 0; value < 4; ++value) {
        CPortableFile file(path.c_str(), value | 0x4000);
        EXPECT_EQ(access[value], fcntl(file.m_hFile, F_GETFL) & (O_ACCMODE | O_APPEND));
    }
    mode_t const saved = umask(0);
    mode_t const modes[8] = {0600, 0600, 0444, 0666, 0666, 0600, 0600, 0600};
    for (unsigned int share = 0; share < 8; ++share) {
        std::string const created = dir.File("s" + std::to_string(share));
        CPortableFile file(created.c_str(), 0x1001 | share << 4);
        EXPECT_EQ(modes[share], ModeOf(created)) << "share " << share;
    }
    umask(022);
    CPortableFile masked(dir.File("masked").c_str(), 0x1041);
    umask(saved);
    EXPECT_EQ(0644u, ModeOf(dir.File("masked")));
    CPortableFile existing(dir.File("s2").c_str(), 0x3040);
    EXPECT_NE(-1, existing.m_hFile);
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

// A failed open returns 0 with open's errno, or throws the integer 0 when an exception pointer
// is given; the three-argument constructor throws even with a null pointer. The name stays.
TEST(CPortableFileTest, FailedOpen) {
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
    EXPECT_THROW(file.Open(missing.c_str(), 0x2, &exception), int);
    EXPECT_TRUE(ThrowsZero(missing.c_str(), 0x0, &exception));
    EXPECT_TRUE(ThrowsZero(missing.c_str(), 0x0, nullptr));
    EXPECT_FALSE(ThrowsZero(dir.Write("f", "").c_str(), 0x0, nullptr));
}

// GetLength keeps the position; a count of 0 makes no system call (so it answers 0 even on a
// closed object, where a real read fails).
TEST(CPortableFileTest, PositionLengthAndZeroCounts) {
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
}

// A wrapped descriptor outlives the object but not Close; Abort empties the name but keeps the
// ownership flag.
TEST(CPortableFileTest, OwnershipCloseAndAbort) {
    TempDir dir;
    std::string const path = dir.Write("f", "x");
    int const descriptor = open(path.c_str(), O_RDONLY);
    { CPortableFile wrapped(descriptor); }
    EXPECT_NE(-1, fcntl(descriptor, F_GETFD));
    CPortableFile(descriptor).Close();
    EXPECT_EQ(-1, fcntl(descriptor, F_GETFD));

    CPortableFile aborted(path.c_str(), 0x0);
    aborted.Abort();
    EXPECT_EQ(-1, aborted.m_hFile);
    EXPECT_EQ(1, aborted.m_bCloseOnDelete);
    EXPECT_EQ(0, aborted.m_strFileName.GetLength());
}

// GetStatus stores the path as given, cut to 259 characters, and the low 32 bits of the size
// (sparse file beyond 4 GiB); on a missing path the record stays as it was.
TEST(CPortableFileTest, GetStatus) {
    TempDir dir;
    std::string path = dir.path();
    while (path.size() < 300) {
        path += "/" + std::string(60, 'p');
        ASSERT_EQ(0, mkdir(path.c_str(), 0700));
    }
    path += "/big";
    CPortableFile file(path.c_str(), 0x1002);
    ASSERT_EQ(0, ftruncate(file.m_hFile, 0x100000005LL));
    EXPECT_EQ(5u, file.GetLength());

    CPortableFileStatus status;
    memset(static_cast<void*>(&status), 0x5A, sizeof status);
    ASSERT_EQ(1, CPortableFile::GetStatus(path.c_str(), status));
    struct stat info;
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_EQ(info.st_ctime, status.m_ctime.GetTime());
    EXPECT_EQ(info.st_mtime, status.m_mtime.GetTime());
    EXPECT_EQ(info.st_atime, status.m_atime.GetTime());
    EXPECT_EQ(5u, status.m_size);
    EXPECT_EQ(0, status.m_attribute);
    EXPECT_EQ(0x5A, status._m_padding);
    EXPECT_EQ(path.substr(0, 259), status.m_szFullName);

    unsigned char before[sizeof status];
    memcpy(before, static_cast<void*>(&status), sizeof status);
    EXPECT_EQ(0, CPortableFile::GetStatus(dir.File("missing").c_str(), status));
    EXPECT_EQ(0, memcmp(before, &status, sizeof status));
}
