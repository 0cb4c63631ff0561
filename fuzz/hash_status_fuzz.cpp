// HashStatus on any text and separators into a map holding an entry, against a character reading
// of the rules. Seeds: status lines, an empty value, an unterminated record, repeats, zero bytes.
#include "VelqonProcess.h"
#include "fuzz_input.h"

namespace {

using Fields = std::map<std::string, std::string>;

// Records are "blanks, key, key separator, blanks, value, line separator"; reading stops at the
// first record that has no key separator or no line separator.
void ReferenceParse(std::string const& text, Fields& fields, std::string const& keySeparators,
                    std::string const& lineSeparators) {
    auto const skip = [&text](size_t at, std::string const& set, bool inSet) {
        while (at < text.size() && (set.find(text[at]) != std::string::npos) != inSet) {
            ++at;
        }
        return at;
    };
    std::string const blanks(" \n\t");
    for (size_t at = 0;;) {
        size_t const keyStart = skip(at, blanks, false);
        size_t const keyEnd = skip(keyStart, keySeparators, true);
        size_t const valueStart = skip(keyEnd + 1, blanks, false);
        at = skip(valueStart, lineSeparators, true);
        if (keyEnd >= text.size() || at >= text.size()) {
            return;
        }
        fields[text.substr(keyStart, keyEnd - keyStart)] = text.substr(valueStart, at - valueStart);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    // Mostly the lookups' separators; else any sets, empty or overlapping included.
    bool const anySets = input.Byte() & 1;
    std::string const keySeparators = anySets ? input.Bytes(3) : ":";
    std::string const lineSeparators = anySets ? input.Bytes(3) : "\n";
    std::string const text = input.Rest();
    Fields fields{{"Name", "kept"}};
    Fields expected = fields;
    HashStatus(text, fields, keySeparators, lineSeparators);
    ReferenceParse(text, expected, keySeparators, lineSeparators);
    FUZZ_CHECK(fields == expected);
    return 0;
}
