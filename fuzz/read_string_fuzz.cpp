// CPortableStdioFile::ReadString(CPortableString&) over arbitrary file contents, against a line
// splitter written from the reading rules: chunks of at most 127 characters (an fgets of 128),
// a chunk shorter than 127 characters or ending in a line feed ends the line, only the final
// line feed is removed, a zero byte ends the text taken from its chunk, and a read that hits the
// end of the file returns 0 with whatever the line had gathered. Each call empties the string and
// appends the line as operator+= would: into the string's own unshared (or locked) block when it
// has room, otherwise into one new block of exactly the line's length.
//
// The contents live in an anonymous memory file opened by its /proc/self/fd path, so that no
// file is left anywhere, whatever happens to the run.
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "VelqonMFC.h"
#include "fuzz_input.h"

namespace {

using Reads = std::vector<std::pair<int, std::string>>;

Reads referenceReads(std::string const& contents) {
    Reads reads;
    size_t at = 0;
    for (;;) {
        std::string line;
        int result = 0;
        while (at < contents.size()) {
            const size_t newline = contents.find('\n', at);
            const size_t lineEnd = newline == std::string::npos ? contents.size() : newline + 1;
            const size_t end = std::min(at + 127, lineEnd);
            std::string text = contents.substr(at, end - at);
            at = end;
            text.resize(strlen(text.c_str()));  // a zero byte ends the text of its chunk
            bool const lineEnds = text.size() <= 126 || text.back() == '\n';
            if (!text.empty() && text.back() == '\n') {
                text.pop_back();
            }
            line += text;
            if (lineEnds) {
                result = 1;
                break;
            }
        }
        reads.push_back({result, line});
        if (result == 0) {
            return reads;
        }
    }
}

// The memory file, made once per process.
std::string const& memoryFilePath(int& fd) {
    static int memoryFd = memfd_create("velqon-read-string", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(memoryFd);
    fd = memoryFd;
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    uint8_t const how = input.byte();
    bool const sharedLine = how & 1;
    const std::string contents = input.rest();
    int fd = -1;
    std::string const& path = memoryFilePath(fd);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(ftruncate(fd, 0) == 0);
    FUZZ_CHECK(pwrite(fd, contents.data(), contents.size(), 0) ==
               static_cast<ssize_t>(contents.size()));

    CPortableStdioFile file;
    FUZZ_CHECK(file.Open(path.c_str(), 0) == 1);
    // The caller's string may share its block: the other holder must keep its text.
    // It may also have room to spare, and be locked.
    CPortableString line("previous line");
    if (how & 2) {
        line.GetBuffer(200);
    }
    if (how & 4) {
        line.LockBuffer();
    }
    CPortableString holder;
    if (sharedLine) {
        holder = line;
    }
    const Reads expected = referenceReads(contents);
    for (auto const& read : expected) {
        CPortableStringData const* const block = line.GetData();
        long const count = block->nRefCount;
        bool const emptied = line.IsEmpty() || count < 0;  // else Empty gives the block up
        int const length = static_cast<int>(read.second.size());
        bool const inPlace = emptied && count <= 1 && length <= block->nCapacity;
        FUZZ_CHECK(file.ReadString(line) == read.first);
        FUZZ_CHECK(line.GetLength() == length);
        FUZZ_CHECK(read.second == static_cast<char const*>(line));
        if (length > 0) {
            FUZZ_CHECK(inPlace
                           ? line.GetData() == block && line.GetData()->nRefCount == count
                           : line.GetData()->nCapacity == length && line.GetData()->nRefCount == 1);
        }
    }
    if (sharedLine) {
        FUZZ_CHECK(holder == "previous line");
    }
    file.Close();
    return 0;
}
