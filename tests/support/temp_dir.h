// A scratch directory for the tests that touch files: created fresh under $TMPDIR (or /tmp) and
// removed with everything in it, so no test leaves a file behind.
#ifndef VELQON_TESTS_SUPPORT_TEMP_DIR_H
#define VELQON_TESTS_SUPPORT_TEMP_DIR_H

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>

class TempDir {
public:
    TempDir()
        : m_path(std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/velqon-XXXXXX") {
        EXPECT_NE(nullptr, mkdtemp(&m_path[0]));
    }
    ~TempDir() {
        auto const erase = [](char const* path, struct stat const*, int, FTW*) {
            return remove(path);
        };
        nftw(m_path.c_str(), erase, 16, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;

    std::string const& Path() const { return m_path; }
    // The path of `name` inside the directory.
    std::string File(std::string const& name) const { return m_path + "/" + name; }
    // Creates or replaces a file holding exactly `content`; returns its path.
    std::string Write(std::string const& name, std::string const& content) const {
        EXPECT_TRUE(std::ofstream(File(name), std::ios::binary) << content);
        return File(name);
    }

private:
    std::string m_path;
};

#endif  // VELQON_TESTS_SUPPORT_TEMP_DIR_H
