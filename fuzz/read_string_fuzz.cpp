// ReadString(CPortableString&) on any contents against the reading rules (chunks of at most 127
// characters; a short one or one ending in a line feed ends the line, which loses only that line
// feed; a zero byte ends its chunk's text; the end gives 0 with what was read) and operator+=.
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "VelqonMFC.h"
#include "fuzz_input.h"

namespace {

std::vector<std::pair<int, std::string>> ReferenceReads(std::string const& contents) {
    std::vector<std::pair<int, std::string>> reads;
    for (size_t at = 0; reads.empty() || reads.back().first == 1;) {
        std::pair<int, std::string> read(0, "");
        while (at < contents.size() && read.first == 0) {
            size_t const lineEnd = std::min(contents.find('\n', at), contents.size() - 1) + 1;
            std::string text = contents.substr(at, std::min(at + 127, lineEnd) - at);
            at += text.size();
            text.resize(strlen(text.c_str()));
            read.first = text.size() <= 126 || text.back() == '\n';
            read.second += text.substr(0, text.size() - (!text.empty() && text.back() == '\n'));
        }
        reads.push_back(read);
    }
    return reads;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // The contents go to an anonymous memory file opened by its /proc path: nothing is left.
    static int const memoryFile = memfd_create("velqon-read-string", 0);
    static std::string const path = "/proc/self/fd/" + std::to_string(memoryFile);
    FuzzInput input(data, size);
    uint8_t const how = input.Byte();
    std::string const contents = input.Rest();
    FUZZ_CHECK(ftruncate(memoryFile, 0) == 0 && pwrite(memoryFile, contents.data(), contents.size(),
                                                       0) == static_cast<ssize_t>(contents.size()));
    CPortableStdioFile file;
    FUZZ_CHECK(file.Open(path.c_str(), 0) == 1);
    // The caller's string may have room to spare, be locked, and be shared, as a string list
    // shares each line it is given: every holder keeps its text.
    CPortableString line("previous line");
    line.GetBuffer(how & 2 ? 200 : 0);
    if (how & 4) {
        line.LockBuffer();
    }
    std::vector<CPortableString> kept(how & 1, line);
    auto const expected = ReferenceReads(contents);
    for (auto const& read : expected) {
        CPortableStringData const* const block = line.GetData();
        long const count = block->nRefCount;
        int const length = static_cast<int>(read.second.size());
        // Empty gives up an unlocked block that holds text; a shared one is never written.
        bool const inPlace =
            (line.IsEmpty() || count < 0) && count <= 1 && length <= block->nCapacity;
        FUZZ_CHECK(file.ReadString(line) == read.first);
        FUZZ_CHECK(line.GetLength() == length && read.second == static_cast<char const*>(line));
        FUZZ_CHECK(length == 0 ||
                   (inPlace
                        ? line.GetData() == block && line.GetData()->nRefCount == count
                        : line.GetData()->nCapacity == length && line.GetData()->nRefCount == 1));
        if (how & 1) {
            kept.push_back(line);
        }
    }
    for (size_t i = 1; i < kept.size(); ++i) {
        FUZZ_CHECK(kept[0] == "previous line" && kept[i] == expected[i - 1].second.c_str());
    }
    return 0;
}
