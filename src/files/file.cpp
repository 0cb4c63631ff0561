// CPortableFile: one POSIX descriptor, opened from the open-flag word.
#include <fcntl.h>
#include <unistd.h>

#include "VelqonMFC.h"
#include "files/open_flags.h"

CPortableFile::CPortableFile() : m_hFile(-1), m_bCloseOnDelete(0) {}

CPortableFile::CPortableFile(int descriptor) : m_hFile(descriptor), m_bCloseOnDelete(0) {}

CPortableFile::CPortableFile(char const* path, unsigned int flags)
    : m_hFile(-1), m_bCloseOnDelete(0) {
    // During construction the virtual Open is this class's own; a failure is not an error.
    CPortableFile::Open(path, flags, nullptr);
}

CPortableFile::CPortableFile(char const* path, unsigned int flags,
                             CPortableFileException* /*exception*/)
    : m_hFile(-1), m_bCloseOnDelete(0) {
    // Throws the integer 0 on failure whether or not the caller passed an exception object.
    if (!CPortableFile::Open(path, flags, nullptr)) {
        CPortableFileException::Throw(0);
    }
}

CPortableFile::~CPortableFile() {
    if (m_hFile != -1 && m_bCloseOnDelete) {
        CPortableFile::Close();
    }
}

long CPortableFile::GetPosition() const {
    return lseek(m_hFile, 0, SEEK_CUR);
}

int CPortableFile::Open(char const* path, unsigned int flags) {
    return Open(path, flags, nullptr);
}

int CPortableFile::Open(char const* path, unsigned int flags, CPortableFileException* exception) {
    // A descriptor still held is not closed: reopening without Close leaks it, as it always has.
    m_bCloseOnDelete = 0;
    m_hFile = -1;
    m_strFileName = path;
    int const descriptor =
        open(path, velqon_internal::OpenFlags(flags), velqon_internal::CreationMode(flags));
    if (descriptor == -1) {
        if (exception != nullptr) {
            CPortableFileException::Throw(0);
        }
        return 0;
    }
    m_hFile = descriptor;
    m_bCloseOnDelete = 1;
    return 1;
}

long CPortableFile::Seek(int offset, unsigned int origin) {
    return lseek(m_hFile, static_cast<off_t>(offset), static_cast<int>(origin));
}

unsigned int CPortableFile::GetLength() const {
    // Seek is not const (it moves the position), but the position is put back before returning.
    CPortableFile* self = const_cast<CPortableFile*>(this);
    int const position = static_cast<int>(self->Seek(0, SEEK_CUR));
    unsigned int const length = static_cast<unsigned int>(self->SeekToEnd());
    self->Seek(position, SEEK_SET);
    return length;
}

long CPortableFile::Read(void* buffer, unsigned int count) {
    if (count == 0) {
        return 0;
    }
    return read(m_hFile, buffer, count);
}

void CPortableFile::Write(void const* buffer, unsigned int count) {
    if (count == 0) {
        return;
    }
    ssize_t const ignored = write(m_hFile, buffer, count);
    (void)ignored;  // short and failed writes are not reported
}

void CPortableFile::Abort() {
    if (m_hFile != -1) {
        close(m_hFile);
        m_hFile = -1;
    }
    m_strFileName.Empty();
}

void CPortableFile::Close() {
    if (m_hFile != -1) {
        close(m_hFile);
    }
    m_hFile = -1;
    m_bCloseOnDelete = 0;
    m_strFileName.Empty();
}

void CPortableFile::SeekToBegin() {
    Seek(0, SEEK_SET);
}

long CPortableFile::SeekToEnd() {
    return Seek(0, SEEK_END);
}
