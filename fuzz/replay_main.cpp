// Replays seed corpora without libFuzzer, so that every pass of the test suite runs them: each
// directory's files, in name order; a wrong result aborts the target and fails the test.
#include <stdint.h>
#include <stdio.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size);

int main(int argc, char** argv) {
    std::set<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        for (auto const& entry : std::filesystem::directory_iterator(argv[i])) {
            inputs.insert(entry.path());
        }
    }
    for (std::filesystem::path const& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        std::string const bytes((std::istreambuf_iterator<char>(file)), {});  // data() never null
        LLVMFuzzerTestOneInput(reinterpret_cast<uint8_t const*>(bytes.data()), bytes.size());
    }
    printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;  // an empty or misspelt corpus must not pass
}
