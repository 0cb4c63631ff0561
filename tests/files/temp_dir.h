// Test helpers: a private temporary directory removed with its contents, and a count of the
// process's open descriptors.
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>

// mkdtemp under $TMPDIR (or /tmp); the destructor removes the tree depth first.
class TempDir {
public:
    TempDir()
        : path_(std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/velqon-XXXXXX") {
        EXPECT_NE(nullptr, mkdtemp(&path_[0]));
    }
    ~TempDir() {
        nftw(
            path_.c_str(), [](char const* p, struct stat const*, int, FTW*) { return remove(p); },
            16, FTW_DEPTH | FTW_PHYS);
    }
    std::string const& path() const { return path_; }
    std::string File(std::string const& name) const { return path_ + "/" + name; }
    // Creates or replaces a file holding exactly `content`; returns its path.
    std::string Write(std::string const& name, std::string const& content) const {
        EXPECT_TRUE(std::ofstream(File(name), std::ios::binary) << content);
        return File(name);
    }

private:
    std::string path_;
};

// Descriptors open in this process.
inline int OpenDescriptorCount() {
    int count = 0;
    for (int descriptor = 0; descriptor < 1024; ++descriptor)
        count += fcntl(descriptor, F_GETFD) != -1;
    return count;
}
