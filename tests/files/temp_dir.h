// Test helpers: a private temporary directory removed with everything in it, a scoped change of
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
    TempDir() {
        char const* base = getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/velqon-XXXXXX";
        if (mkdtemp(&pattern[0]) != nullptr)
            path_ = pattern;
        EXPECT_FALSE(path_.empty()) << "mkdtemp failed";
    }
    ~TempDir() {
        if (!path_.empty())
            nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;

    std::string const& path() const { return path_; }
    std::string File(std::string const& name) const { return path_ + "/" + name; }

    // Creates (or replaces) a file with exactly `content`.
    std::string Write(std::string const& name, std::string const& content) const {
        std::string const file = File(name);
        FILE* stream = fopen(file.c_str(), "wb");
        EXPECT_NE(nullptr, stream);
        if (stream != nullptr) {
            fwrite(content.data(), 1, content.size(), stream);
            fclose(stream);
        }
        return file;
    }

    // The whole content of a file ("" when it cannot be read).
    std::string Read(std::string const& name) const {
        std::string content;
        FILE* stream = fopen(File(name).c_str(), "rb");
        if (stream == nullptr)
            return content;
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, stream)) > 0)
            content.append(buffer, got);
        fclose(stream);
        return content;
    }

private:
    static int RemoveEntry(char const* path, struct stat const*, int, struct FTW*) {
        remove(path);
        return 0;
    }

    std::string path_;
};

// Changes the working directory for one scope and restores it.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(std::string const& directory) {
        saved_ = open(".", O_RDONLY | O_DIRECTORY);
        EXPECT_EQ(0, chdir(directory.c_str()));
    }
    ~ScopedWorkingDirectory() {
        EXPECT_EQ(0, fchdir(saved_));
        close(saved_);
    }
    ScopedWorkingDirectory(ScopedWorkingDirectory const&) = delete;
    ScopedWorkingDirectory& operator=(ScopedWorkingDirectory const&) = delete;

private:
    int saved_;
};

// Number of descriptors open in this process (excluding the one used to count them).
inline int OpenDescriptorCount() {
    DIR* fds = opendir("/proc/self/fd");
    if (fds == nullptr)
        return -1;
    int count = 0;
    while (readdir(fds) != nullptr)
        ++count;
    closedir(fds);
    return count - 3;  // ".", ".." and the descriptor of this listing
}

#endif  // VELQON_TESTS_FILES_TEMP_DIR_H
