// CPortableFile::GetStatus and SetStatus: a path's stat() record as a CPortableFileStatus.
#include <string.h>
#include <sys/stat.h>

#include "VelqonMFC.h"

int CPortableFile::GetStatus(char const* path, CPortableFileStatus& status) {
    struct stat info;
    memset(&info, 0, sizeof info);
    if (stat(path, &info) != 0) {
        return 0;
    }
    status.m_ctime = info.st_ctime;
    status.m_mtime = info.st_mtime;
    status.m_atime = info.st_atime;
    status.m_size = static_cast<unsigned int>(info.st_size);  // low 32 bits only
    status.m_attribute = 0;
    strncpy(status.m_szFullName, path, sizeof status.m_szFullName - 1);
    status.m_szFullName[sizeof status.m_szFullName - 1] = '\0';
    return 1;
}

void CPortableFile::SetStatus(char const* /*path*/, CPortableFileStatus const& /*status*/) {}
