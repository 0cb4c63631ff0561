// Replays seed corpora through a fuzz target without libFuzzer, so that every compiler and
// sanitizer pass of the test suite runs them: each argument is a file or a directory whose
// files are fed, in name order, to LLVMFuzzerTestOneInput. A target reports a wrong result by
// aborting, which fails the test.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(fs::path const& argument) {
    std::vector<fs::path> inputs;
    if (fs::is_directory(argument)) {
        for (fs::directory_entry const& entry : fs::directory_iterator(argument)) {
            if (entry.is_regular_file()) {
                inputs.push_back(entry.path());
            }
        }
        std::sort(inputs.begin(), inputs.end());
    } else if (fs::is_regular_file(argument)) {
        inputs.push_back(argument);
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (fs::path const& input : inputsOf(argv[i])) {
            std::ifstream file(input, std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                          std::istreambuf_iterator<char>());
            // A zero-size vector may hand out a null pointer; libFuzzer never passes one.
            const uint8_t empty = 0;
            LLVMFuzzerTestOneInput(
                bytes.empty() ? &empty : reinterpret_cast<uint8_t const*>(bytes.data()),
                bytes.size());
            ++replayed;
        }
    }
    printf("replayed %zu inputs\n", replayed);
    // An empty or misspelt corpus path would otherwise pass without testing anything.
    return replayed > 0 ? 0 : 1;
}
