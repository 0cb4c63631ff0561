// Test helpers: a private temporary directory removed with its contents, a scoped change of
// working directory, and a count of the process's open descriptors.
#ifndef VELQON_TESTS_FILES_TEMP_DIR_H
#define VELQON_TESTS_FILES_TEMP_DIR_H

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

// mkdtemp under $TMPDIR (or /tmp); the destructor removes the tree depth first.
class TempDir {
public:
    TempDir()
        : path_(std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/velqon-XXXXXX") {
        EXPECT_NE(nullptr, mkdtemp(&path_[0]));
    }
    ~TempDir() { nftw(path_.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS); }

    std::string const& path() const { return path_; }
    std::string File(std::string const& name) const { return path_ + "/" + name; }
    // Creates or replaces a file holding exactly `content`; returns its path.
    std::string Write(std::string const& name, std::string const& content) const {
        FILE* stream = fopen(File(name).c_str(), "wb");
        EXPECT_NE(nullptr, stream);
        if (stream != nullptr) {
            fwrite(content.data(), 1, content.size(), stream);
            fclose(stream);
        }
        return File(name);
    }

private:
    static int Remove(char const* path, struct stat const*, int, struct FTW*) {
        return remove(path);
    }
    std::string path_;
};

// Changes the working directory for one scope.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(std::string const& path) : saved_(open(".", O_RDONLY)) {
        EXPECT_EQ(0, chdir(path.c_str()));
    }
    ~ScopedWorkingDirectory() {
        EXPECT_EQ(0, fchdir(saved_));
        close(saved_);
    }

private:
    int saved_;
};

// Descriptors open in this process, not counting the one that lists them.
inline int OpenDescriptorCount() {
    DIR* listing = opendir("/proc/self/fd");
    int count = -3;  // ".", ".." and the listing's own descriptor
    while (readdir(listing) != nullptr)
        ++count;
    closedir(listing);
    return count;
}

#endif  // VELQON_TESTS_FILES_TEMP_DIR_H
