// Compile-time checks of the fixed layouts of the files subsystem. The file classes have virtual
// functions, so offsetof on them is only conditionally supported; GCC computes it exactly for
// classes without virtual bases, and that is what these checks rely on.
#include <stddef.h>

#include "VelqonMFC.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

static_assert(offsetof(CPortableFileStatus, m_mtime) == 8, "CPortableFileStatus field order");
static_assert(offsetof(CPortableFileStatus, m_atime) == 16, "CPortableFileStatus field order");
static_assert(offsetof(CPortableFileStatus, m_size) == 24, "CPortableFileStatus field order");
static_assert(offsetof(CPortableFileStatus, m_attribute) == 28, "CPortableFileStatus field order");
static_assert(offsetof(CPortableFileStatus, _m_padding) == 29, "CPortableFileStatus field order");
static_assert(offsetof(CPortableFileStatus, m_szFullName) == 30, "CPortableFileStatus field order");
static_assert(sizeof(CPortableFileStatus) == 296, "CPortableFileStatus size");

static_assert(offsetof(CPortableFile, m_hFile) == 8, "CPortableFile: vtable pointer first");
static_assert(offsetof(CPortableFile, m_bCloseOnDelete) == 12, "CPortableFile field order");
static_assert(offsetof(CPortableFile, m_strFileName) == 16, "CPortableFile field order");
static_assert(sizeof(CPortableFile) == 24, "CPortableFile size");
static_assert(offsetof(CPortableStdioFile, m_pStream) == 24, "stream after the base fields");
static_assert(sizeof(CPortableStdioFile) == 32, "CPortableStdioFile size");

static_assert(offsetof(CPortableFileFind, m_szFileName) == 1024, "CPortableFileFind field order");
static_assert(offsetof(CPortableFileFind, m_szPattern) == 2048, "CPortableFileFind field order");
static_assert(offsetof(CPortableFileFind, m_pDir) == 3072, "CPortableFileFind field order");
static_assert(offsetof(CPortableFileFind, m_pRegex) == 3080, "CPortableFileFind field order");
static_assert(sizeof(CPortableFileFind) == 3088, "CPortableFileFind size");

static_assert(offsetof(CPortableDirectory, m_vecEntries) == 8, "CPortableDirectory field order");

#pragma GCC diagnostic pop
