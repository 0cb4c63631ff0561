// CPortableFileFind: wildcard search of one directory with opendir/readdir and fnmatch.
#include <dirent.h>
#include <fnmatch.h>
#include <locale.h>
#include <regex.h>
#include <string.h>
#include <unistd.h>

#include "VelqonMFC.h"

namespace {

// Copies at most 1023 characters of `source` into one of the 1024-character fields and
// terminates it.
void CopyTerminated(char (&field)[1024], char const* source) {
    size_t const length = strnlen(source, sizeof field - 1);
    memcpy(field, source, length);
    field[length] = '\0';
}

// The working directory into `field`, or an empty field when getcwd fails (for instance when
// the path needs more than 1023 characters).
void LoadWorkingDirectory(char (&field)[1024]) {
    if (getcwd(field, sizeof field) == nullptr) {
        field[0] = '\0';
    }
}

}  // namespace

CPortableFileFind::CPortableFileFind()
    : m_szDirectory(), m_szFileName(), m_szPattern(), m_pDir(nullptr), m_pRegex(nullptr) {
    LoadWorkingDirectory(m_szDirectory);
}

CPortableFileFind::CPortableFileFind(char const* directory)
    : m_szDirectory(), m_szFileName(), m_szPattern(), m_pDir(nullptr), m_pRegex(nullptr) {
    if (directory == nullptr) {
        LoadWorkingDirectory(m_szDirectory);
    } else {
        CopyTerminated(m_szDirectory, directory);
    }
}

CPortableFileFind::~CPortableFileFind() {
    Close();
}

int CPortableFileFind::FindFile(char const* pattern) {
    if (pattern == nullptr || strnlen(pattern, sizeof m_szPattern) == sizeof m_szPattern) {
        return 0;
    }
    Close();
    // Bracket expressions and character classes in fnmatch follow the environment's locale. The
    // locale is process-wide state by design; a name the system lacks leaves the locale as it
    // was, which matching handles as well, so the result is not needed.
    (void)setlocale(LC_ALL, "");  // NOLINT(concurrency-mt-unsafe)
    m_pDir = opendir(m_szDirectory);
    if (m_pDir == nullptr) {
        return 0;
    }
    CopyTerminated(m_szPattern, pattern);
    // The documented skip: the first entry the stream delivers is never returned, matching or
    // not. It is usually the directory's own "." entry, but the skip does not look.
    (void)readdir(m_pDir);
    return FindNextFile();
}

int CPortableFileFind::FindNextFile() {
    if (m_pDir == nullptr) {
        return 0;
    }
    while (struct dirent* entry = readdir(m_pDir)) {
        if (fnmatch(m_szPattern, entry->d_name, FNM_PATHNAME | FNM_PERIOD) == 0) {
            CopyTerminated(m_szFileName, entry->d_name);
            return 1;
        }
    }
    closedir(m_pDir);
    m_pDir = nullptr;
    return 0;
}

char const* CPortableFileFind::GetFileName() const {
    return m_szFileName;
}

char const* CPortableFileFind::GetFilePath() const {
    return m_szDirectory;
}

char const* CPortableFileFind::GetFileTitle() const {
    return nullptr;
}

char const* CPortableFileFind::GetFileURL() const {
    return nullptr;
}

char const* CPortableFileFind::GetRoot() const {
    return nullptr;
}

unsigned int CPortableFileFind::GetLength() const {
    return 0;
}

time_t CPortableFileFind::GetCreationTime() const {
    return 0;
}

time_t CPortableFileFind::GetLastAccessTime() const {
    return 0;
}

time_t CPortableFileFind::GetLastWriteTime() const {
    return 0;
}

void CPortableFileFind::Close() {
    if (m_pDir != nullptr) {
        closedir(m_pDir);
        m_pDir = nullptr;
    }
    if (m_pRegex != nullptr) {
        regfree(m_pRegex);
        delete m_pRegex;
        m_pRegex = nullptr;
    }
}
