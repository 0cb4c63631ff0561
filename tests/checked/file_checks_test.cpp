// Checked build, stream files: reading, writing or positioning one without a stream (here opened
// by the inherited three-argument Open, which opens only the descriptor) stops with a message
// that says how to open the stream.
#include <string>

#include "VelqonMFC.h"
#include "checked.h"

namespace {

std::string NoStream(char const* member) {
    return std::string("CPortableStdioFile::") + member +
           ": no stream is open: open the file with Open(path, flags) or the constructor (the "
           "three-argument Open opens only the descriptor)";
}

TEST(CheckedFileTest, StreamMembersWithoutStreamStop) {
    CPortableStdioFile file;
    ASSERT_EQ(1, file.Open("/dev/null", CPortableFile::modeRead, nullptr));
    char buffer[8];
    CPortableString line;
    EXPECT_STOPS(file.WriteString("x"), NoStream("WriteString"));
    EXPECT_STOPS(file.Write("x", 1), NoStream("Write"));
    EXPECT_STOPS(file.Read(buffer, 1), NoStream("Read"));
    EXPECT_STOPS(file.ReadString(buffer, sizeof buffer), NoStream("ReadString"));
    EXPECT_STOPS(file.ReadString(line), NoStream("ReadString"));
    EXPECT_STOPS(file.Seek(0, CPortableFile::begin), NoStream("Seek"));
    EXPECT_STOPS(file.GetPosition(), NoStream("GetPosition"));
    EXPECT_EQ(0, file.Read(buffer, 0));  // a count of 0 reads nothing, stream or not
}

}  // namespace
