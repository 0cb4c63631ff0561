// HashStatus on arbitrary text and separator sets, against a character-by-character reading of
// the record rules. The map handed in already holds an entry, which must survive unless the
// text sets the same key.
#include <string.h>

#include "VelqonProcess.h"
#include "fuzz_input.h"

namespace {

using Fields = std::map<std::string, std::string>;

bool inSet(char c, std::string const& set) {
    return set.find(c) != std::string::npos;
}

bool isBlank(char c) {
    return c == ' ' || c == '\n' || c == '\t';
}

// Records are "blanks, key, key separator, blanks, value, line separator"; reading stops at the
// first record that has no key separator or no line separator.
void referenceParse(std::string const& text, Fields& fields, std::string const& keySeparators,
                    std::string const& lineSeparators) {
    size_t at = 0;
    const size_t end = text.size();
    for (;;) {
        while (at < end && isBlank(text[at])) {
            ++at;
        }
        const size_t keyStart = at;
        while (at < end && !inSet(text[at], keySeparators)) {
            ++at;
        }
        if (keyStart == end || at == end) {
            return;
        }
        const std::string key = text.substr(keyStart, at - keyStart);
        ++at;
        while (at < end && isBlank(text[at])) {
            ++at;
        }
        const size_t valueStart = at;
        while (at < end && !inSet(text[at], lineSeparators)) {
            ++at;
        }
        if (valueStart == end || at == end) {
            return;
        }
        fields[key] = text.substr(valueStart, at - valueStart);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    // Mostly the separators the process lookups use; sometimes sets made by the input, which may
    // be empty, overlap the blanks or each other, or hold zero bytes.
    std::string keySeparators = ":";
    std::string lineSeparators = "\n";
    if (input.byte() & 1) {
        keySeparators = input.bytes(3);
        lineSeparators = input.bytes(3);
    }
    const std::string text = input.rest();

    Fields fields{{"Name", "kept"}};
    Fields expected = fields;
    HashStatus(text, fields, keySeparators, lineSeparators);
    referenceParse(text, expected, keySeparators, lineSeparators);
    FUZZ_CHECK(fields == expected);
    return 0;
}
