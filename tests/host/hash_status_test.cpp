#include <gtest/gtest.h>

#include "VelqonProcess.h"

// Keys end at any character of the key set and values at any of the line set; values skip
// leading blanks and keep trailing ones; an empty value swallows the next line; a record without
// its final separator is dropped; the map is extended, not cleared, and a repeated key takes
// the later value.
TEST(HashStatusTest, SplitsRecordsWithTheLegacyQuirks) {
    using Fields = std::map<std::string, std::string>;
    struct Row {
        char const* text;
        char const* keySeparators;
        char const* lineSeparators;
        Fields expected;
    } const rows[] = {
        {"Name:\tinit\nState:\tS (sleeping)\n",
         ":",
         "\n",
         {{"Name", "init"}, {"State", "S (sleeping)"}}},
        {"  Key : value \t\n", ":", "\n", {{"Key ", "value \t"}}},
        {"Groups:\nVmPeak:\t1 kB\n", ":", "\n", {{"Groups", "VmPeak:\t1 kB"}}},
        {"Pid:\t1\nName:\tinit", ":", "\n", {{"Pid", "1"}}},
        {"Name:\t\n", ":", "\n", {}},
        {"Name:\tfirst\nName:\tsecond\n", ":", "\n", {{"Name", "second"}}},
        {"a=1;b:2,", "=:", ";,", {{"a", "1"}, {";b", "2"}}},
    };
    for (Row const& row : rows) {
        Fields fields{{"Kept", "yes"}}, expected = row.expected;
        expected.emplace("Kept", "yes");
        HashStatus(row.text, fields, row.keySeparators, row.lineSeparators);
        EXPECT_EQ(expected, fields) << row.text;
    }
}
