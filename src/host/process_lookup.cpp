// isProcessRunning and isThisProcessRunning: process names read from /proc/<pid>/status.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "VelqonProcess.h"

namespace {

// One read of at most this many bytes is all that is looked at in a status file.
size_t const kStatusBytes = 4096;
// Room for "/proc/<entry name>/status".
size_t const kPathBytes = 1024;

// Tells whether the "Name" record of the status file at `path` equals `name`. A file that cannot
// be opened or yields nothing does not match. A missing "Name" reads as the empty value.
bool StatusNameIs(char const* path, char const* name) {
    int const fd = open(path, O_RDONLY);
    if (fd < 0) {
        return false;
    }
    char buffer[kStatusBytes];
    ssize_t const got = read(fd, buffer, sizeof buffer);
    // Closed before parsing, so that an allocation failure there cannot leak the descriptor.
    close(fd);
    if (got <= 0) {
        return false;
    }
    // The text ends at the first zero byte, if the file has one.
    std::string const text(buffer, strnlen(buffer, static_cast<size_t>(got)));
    std::map<std::string, std::string> fields;
    HashStatus(text, fields, ":", "\n");
    return fields["Name"] == name;
}

bool FileExists(char const* path) {
    struct stat info;
    return stat(path, &info) == 0;
}

}  // namespace

int isProcessRunning(char const* name) {
    std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
    if (!proc) {
        perror("opendir");
        return 0;
    }
    int count = 0;
    while (dirent const* entry = readdir(proc.get())) {
        // Process directories; "self", "sys" and the like are passed over.
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') {
            continue;
        }
        char path[kPathBytes];
        (void)snprintf(path, sizeof path, "/proc/%s/status", entry->d_name);  // a name fits
        // A process that exited since readdir listed it ends the whole scan with 0, whatever was
        // counted: the listing changed under the scan, so no count is given (callers retry).
        if (!FileExists(path)) {
            return 0;
        }
        if (StatusNameIs(path, name)) {
            ++count;
        }
    }
    return count;
}

int isThisProcessRunning(int pid, char const* name) {
    char path[kPathBytes];
    (void)snprintf(path, sizeof path, "/proc/%d/status", pid);  // always fits
    if (!FileExists(path)) {
        return 0;
    }
    return StatusNameIs(path, name) ? 1 : 0;
}
