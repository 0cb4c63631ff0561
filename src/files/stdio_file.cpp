// CPortableStdioFile: the descriptor of CPortableFile wrapped in a C stream; opening, closing,
// positioning and block I/O.
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "VelqonMFC.h"
#include "files/open_flags.h"
#include "files/stream_required.h"

using velqon_internal::HasStream;

namespace {

size_t const kReadBufferBytes = size_t{64} * 1024;

}  // namespace

CPortableStdioFile::CPortableStdioFile() : m_pStream(nullptr) {}

CPortableStdioFile::CPortableStdioFile(char const* path, unsigned int flags) : m_pStream(nullptr) {
    CPortableStdioFile::Open(path, flags);  // a failure leaves a closed object, throws nothing
}

CPortableStdioFile::~CPortableStdioFile() {
    if (m_pStream != nullptr && m_bCloseOnDelete) {
        CPortableStdioFile::Close();
    }
}

long CPortableStdioFile::GetPosition() const {
    if (!HasStream(m_pStream, "GetPosition")) {
        return -1;
    }
    return ftell(m_pStream);
}

int CPortableStdioFile::Open(char const* path, unsigned int flags) {
    m_pStream = nullptr;
    unsigned int const descriptorFlags = flags & ~velqon_internal::kStreamOnly;
    if (!CPortableFile::Open(path, descriptorFlags)) {
        return 0;
    }
    char const* const mode = velqon_internal::StreamMode(descriptorFlags);
    m_pStream = fdopen(m_hFile, mode);
    if (m_pStream == nullptr) {
        // Typically a mode the descriptor's access does not allow. Abort keeps the ownership
        // flag, so it stays set although nothing is open any more; nothing acts on it then, as
        // Close and the destructor only close a descriptor that is open.
        CPortableFile::Abort();
        return 0;
    }
    // A stream that only reads gets a larger buffer than the C library's default, so that reading
    // line by line makes one read call per 64 KiB. Nothing else changes: positions, results and
    // what other readers of the file see are the same. Streams that write keep the default, so
    // their data reaches the file as often as before.
    if (strcmp(mode, "r") == 0) {
        (void)setvbuf(m_pStream, nullptr, _IOFBF, kReadBufferBytes);
    }
    return 1;
}

long CPortableStdioFile::Seek(int offset, unsigned int origin) {
    if (!HasStream(m_pStream, "Seek")) {
        return -1;
    }
    // A failed seek leaves the position where it was, and that is what the caller gets.
    (void)fseek(m_pStream, static_cast<long>(offset), static_cast<int>(origin));
    return ftell(m_pStream);
}

long CPortableStdioFile::Read(void* buffer, unsigned int count) {
    if (count == 0 || !HasStream(m_pStream, "Read")) {
        return 0;
    }
    size_t const got = fread(buffer, 1, count, m_pStream);
    if (ferror(m_pStream)) {
        clearerr(m_pStream);
    }
    return static_cast<long>(got);
}

void CPortableStdioFile::Write(void const* buffer, unsigned int count) {
    if (!HasStream(m_pStream, "Write")) {
        return;
    }
    (void)fwrite(buffer, 1, count, m_pStream);  // Write reports nothing, as its signature says
}

// A descriptor without a stream (opened by the inherited three-argument Open) is closed like
// the stream would be: setting it to -1 unclosed would leak it, nothing could close it later.
void CPortableStdioFile::Abort() {
    if (m_pStream != nullptr && m_bCloseOnDelete) {
        (void)fclose(m_pStream);  // Abort reports nothing
    } else if (m_hFile != -1 && m_bCloseOnDelete) {
        (void)close(m_hFile);
    }
    m_hFile = -1;
    m_pStream = nullptr;
    m_bCloseOnDelete = 0;
}

void CPortableStdioFile::Close() {
    if (m_pStream != nullptr) {
        (void)fclose(m_pStream);  // closes the descriptor underneath too; Close reports nothing
    } else if (m_hFile != -1) {
        (void)close(m_hFile);
    }
    m_hFile = -1;
    m_bCloseOnDelete = 0;
    m_pStream = nullptr;
}
