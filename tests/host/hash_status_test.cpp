#include <gtest/gtest.h>

#include "VelqonProcess.h"

namespace {

using Fields = std::map<std::string, std::string>;

Fields parse(const std::string& text, Fields fields = Fields()) {
    HashStatus(text, fields, ":", "\n");
    return fields;
}

}  // namespace

// Keys end at the separator, values skip leading blanks and keep trailing ones.
TEST(HashStatusTest, SplitsKeyAndValueLines) {
    EXPECT_EQ((Fields{{"Name", "init"}, {"State", "S (sleeping)"}}),
              parse("Name:\tinit\nState:\tS (sleeping)\n"));
    EXPECT_EQ((Fields{{"Key ", "value \t"}}), parse("  Key : value \t\n"));
}

// An empty value swallows the next line, and a record without its final separator is dropped.
TEST(HashStatusTest, KeepsLegacyQuirks) {
    EXPECT_EQ((Fields{{"Groups", "VmPeak:\t1 kB"}}), parse("Groups:\nVmPeak:\t1 kB\n"));
    EXPECT_EQ((Fields{{"Pid", "1"}}), parse("Pid:\t1\nName:\tinit"));
    EXPECT_EQ(Fields(), parse("Name:\t\n"));
}

// The map is extended, not cleared, and a repeated key takes the later value.
TEST(HashStatusTest, KeepsEntriesAndOverwritesRepeatedKeys) {
    EXPECT_EQ((Fields{{"Kept", "yes"}, {"Name", "second"}}),
              parse("Name:\tfirst\nName:\tsecond\n", Fields{{"Kept", "yes"}}));
}

// Other separator sets work the same way: any character of a set ends a key or a value.
TEST(HashStatusTest, UsesTheGivenSeparators) {
    Fields fields;
    HashStatus("a=1;b:2,", fields, "=:", ";,");
    EXPECT_EQ((Fields{{"a", "1"}, {";b", "2"}}), fields);
}
