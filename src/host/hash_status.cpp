// HashStatus: turns "key: value" lines, as in /proc/<pid>/status, into an ordered map.
#include "VelqonProcess.h"

namespace {

// Skipped before a key and before a value; newlines included, which is what lets an empty value
// swallow the next line.
char const kBlanks[] = " \n\t";

}  // namespace

void HashStatus(std::string const& text, std::map<std::string, std::string>& fields,
                std::string const& keySeparators, std::string const& lineSeparators) {
    std::string::size_type const npos = std::string::npos;
    std::string::size_type position = 0;
    for (;;) {
        std::string::size_type const keyStart = text.find_first_not_of(kBlanks, position);
        if (keyStart == npos) {
            return;
        }
        std::string::size_type const keyEnd = text.find_first_of(keySeparators, keyStart);
        if (keyEnd == npos) {
            return;
        }
        std::string::size_type const valueStart = text.find_first_not_of(kBlanks, keyEnd + 1);
        if (valueStart == npos) {
            return;
        }
        std::string::size_type const valueEnd = text.find_first_of(lineSeparators, valueStart);
        if (valueEnd == npos) {
            return;
        }
        fields[text.substr(keyStart, keyEnd - keyStart)].assign(text, valueStart,
                                                                valueEnd - valueStart);
        // valueEnd > position always, so every round moves forward.
        position = valueEnd;
    }
}
