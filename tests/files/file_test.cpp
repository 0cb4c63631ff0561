// CPortableFile: the open-flag word, truncation, ownership, positioning and status records.
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

// Sets the process umask for one scope and restores it.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : saved_(umask(mask)) {}
    ~ScopedUmask() { umask(saved_); }

private:
    mode_t saved_;
};

mode_t ModeOf(std::string const& path) {
    struct stat info;
    EXPECT_EQ(0, stat(path.c_str(), &info));
    return info.st_mode & 07777;
}

}  // namespace

// Access values 0-3 open read-only, write-only, read-write and read-only; never O_APPEND.
TEST(CPortableFileTest, AccessBitsChooseOpenMode) {
    TempDir dir;
    std::string const path = dir.Write("f", "data");
    int const expected[4] = {O_RDONLY, O_WRONLY, O_RDWR, O_RDONLY};
    for (unsigned int access = 0; access < 4; ++access) {
        CPortableFile file;
        ASSERT_EQ(1, file.Open(path.c_str(), access | 0x4000));
        int const flags = fcntl(file.m_hFile, F_GETFL);
        EXPECT_EQ(expected[access], flags & O_ACCMODE) << "access " << access;
        EXPECT_EQ(0, flags & O_APPEND);
        EXPECT_EQ(1, file.m_bCloseOnDelete);
    }
}

// The share field picks the permissions of a created file (before the umask) and leaves an
// existing file's permissions alone.
TEST(CPortableFileTest, ShareFieldChoosesCreationMode) {
    TempDir dir;
    ScopedUmask noMask(0);
    mode_t const expected[8] = {0600, 0600, 0444, 0666, 0666, 0600, 0600, 0600};
    for (unsigned int share = 0; share < 8; ++share) {
        std::string const path = dir.File("s" + std::to_string(share));
        CPortableFile file;
        ASSERT_EQ(1, file.Open(path.c_str(), 0x1001 | share << 4));
        EXPECT_EQ(expected[share], ModeOf(path)) << "share 0x" << std::hex << (share << 4);
    }
    {
        ScopedUmask mask(022);
        CPortableFile file(dir.File("masked").c_str(), 0x1001 | 0x40);
        EXPECT_EQ(0644u, ModeOf(dir.File("masked")));
    }
    CPortableFile reopened(dir.File("s2").c_str(), 0x3000 | 0x40);  // existing 0444 file
    EXPECT_NE(-1, reopened.m_hFile);
    EXPECT_EQ(0444u, ModeOf(dir.File("s2")));
}

// 0x1000 truncates unless 0x2000 is also set; 0x2000 alone never creates.
TEST(CPortableFileTest, CreateTruncatesUnlessKeepIsSet) {
    TempDir dir;
    std::string const path = dir.Write("f", "hello");
    {
        CPortableFile kept(path.c_str(), 0x3002);
        EXPECT_EQ(5u, kept.GetLength());
    }
    {
        CPortableFile keptToo(path.c_str(), 0x2002);
        EXPECT_EQ(5u, keptToo.GetLength());
    }
    {
        CPortableFile truncated(path.c_str(), 0x1002);
        EXPECT_EQ(0u, truncated.GetLength());
    }
    CPortableFile notCreated(dir.File("new").c_str(), 0x2002);
    EXPECT_EQ(-1, notCreated.m_hFile);
    EXPECT_NE(0, access(dir.File("new").c_str(), F_OK));
}

// A failed open returns 0 (errno from open) or throws the integer 0, and keeps the name.
TEST(CPortableFileTest, FailedOpenReportsOrThrowsZero) {
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
    try {
        file.Open(missing.c_str(), 0x2, &exception);
        ADD_FAILURE() << "no exception";
    } catch (int thrown) {
        EXPECT_EQ(0, thrown);
    }
    EXPECT_STREQ(missing.c_str(), file.m_strFileName);

    CPortableFile quiet(missing.c_str(), 0x2);
    EXPECT_EQ(-1, quiet.m_hFile);
    EXPECT_STREQ(missing.c_str(), quiet.m_strFileName);
}

// The three-argument constructor throws 0 on failure even with a null exception pointer.
TEST(CPortableFileTest, ThrowingConstructor) {
    TempDir dir;
    std::string const missing = dir.File("missing");
    CPortableFileException exception;
    for (CPortableFileException* pointer : {&exception, static_cast<CPortableFileException*>(0)}) {
        try {
            CPortableFile file(missing.c_str(), 0x0, pointer);
            ADD_FAILURE() << "no exception";
        } catch (int thrown) {
            EXPECT_EQ(0, thrown);
        }
    }
    CPortableFile opened(dir.Write("f", "x").c_str(), 0x0, nullptr);
    EXPECT_NE(-1, opened.m_hFile);
}

// Read, Write and the seek family go straight to the descriptor; GetLength keeps the position.
TEST(CPortableFileTest, ReadWriteSeekAndLength) {
    TempDir dir;
    CPortableFile file(dir.File("f").c_str(), 0x1002);
    file.Write("0123456789", 10);
    file.Write("ignored", 0);
    EXPECT_EQ(10, file.GetPosition());
    EXPECT_EQ(3, file.Seek(3, 0));
    EXPECT_EQ(10u, file.GetLength());
    EXPECT_EQ(3, file.GetPosition());
    EXPECT_EQ(5, file.Seek(2, 1));
    EXPECT_EQ(8, file.Seek(-2, 2));
    EXPECT_EQ(-1, file.Seek(-20, 0));
    EXPECT_EQ(10, file.SeekToEnd());
    file.SeekToBegin();
    char buffer[16] = {};
    EXPECT_EQ(4, file.Read(buffer, 4));
    EXPECT_STREQ("0123", buffer);
    file.Seek(0, 2);
    EXPECT_EQ(0, file.Read(buffer, sizeof buffer));
    EXPECT_EQ(0, file.Read(buffer, 0));

    CPortableFile closed;
    EXPECT_EQ(0, closed.Read(buffer, 0)) << "a zero count makes no call";
    EXPECT_EQ(-1, closed.Read(buffer, 1));
}

// A wrapped descriptor survives the object but not Close; Close and Abort empty the name, and
// only Close clears the ownership flag.
TEST(CPortableFileTest, OwnershipCloseAndAbort) {
    TempDir dir;
    std::string const path = dir.Write("f", "x");
    int const descriptor = open(path.c_str(), O_RDONLY);
    { CPortableFile wrapped(descriptor); }
    EXPECT_NE(-1, fcntl(descriptor, F_GETFD));
    CPortableFile wrapped(descriptor);
    wrapped.Close();
    EXPECT_EQ(-1, fcntl(descriptor, F_GETFD));

    CPortableFile aborted(path.c_str(), 0x0);
    aborted.Abort();
    EXPECT_EQ(-1, aborted.m_hFile);
    EXPECT_EQ(1, aborted.m_bCloseOnDelete);
    EXPECT_EQ(0, aborted.m_strFileName.GetLength());

    int const before = OpenDescriptorCount();
    CPortableFile closed(path.c_str(), 0x0);
    closed.Close();
    EXPECT_EQ(before, OpenDescriptorCount());
    EXPECT_EQ(0, closed.m_bCloseOnDelete);
    EXPECT_EQ(0, closed.m_strFileName.GetLength());
}

// GetStatus fills times, the low 32 bits of the size and the name as given, cut to 259
// characters; a missing path leaves the record untouched.
TEST(CPortableFileTest, GetStatus) {
    TempDir dir;
    std::string path = dir.path();
    while (path.size() < 300) {
        path += "/" + std::string(60, 'p');
        ASSERT_EQ(0, mkdir(path.c_str(), 0700));
    }
    path += "/file";
    {
        CPortableFile file(path.c_str(), 0x1001);
        ASSERT_NE(-1, file.m_hFile);
        file.Write("12345", 5);
    }
    CPortableFileStatus status;
    memset(static_cast<void*>(&status), 0x5A, sizeof status);
    ASSERT_EQ(1, CPortableFile::GetStatus(path.c_str(), status));
    struct stat info;
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_EQ(info.st_mtime, status.m_mtime.GetTime());
    EXPECT_EQ(info.st_ctime, status.m_ctime.GetTime());
    EXPECT_EQ(info.st_atime, status.m_atime.GetTime());
    EXPECT_EQ(5u, status.m_size);
    EXPECT_EQ(0, status.m_attribute);
    EXPECT_EQ(0x5A, status._m_padding);
    EXPECT_EQ(path.substr(0, 259), status.m_szFullName);

    unsigned char before[sizeof status];
    memcpy(before, static_cast<void*>(&status), sizeof status);
    EXPECT_EQ(0, CPortableFile::GetStatus(dir.File("missing").c_str(), status));
    EXPECT_EQ(0, memcmp(before, &status, sizeof status));
    CPortableFile::SetStatus(path.c_str(), status);
    EXPECT_EQ(0, stat(path.c_str(), &info));
    EXPECT_EQ(5, info.st_size);
}

// Beyond 4 GiB both the status size and GetLength keep only the low 32 bits (sparse file).
TEST(CPortableFileTest, SizesAreCutTo32Bits) {
    TempDir dir;
    CPortableFile file(dir.File("big").c_str(), 0x1002);
    ASSERT_EQ(0, ftruncate(file.m_hFile, 0x100000005LL));
    EXPECT_EQ(5u, file.GetLength());
    CPortableFileStatus status;
    ASSERT_EQ(1, CPortableFile::GetStatus(dir.File("big").c_str(), status));
    EXPECT_EQ(5u, status.m_size);
}
