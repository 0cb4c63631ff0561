#include "VelqonMFC.h"
#include "checked.h"

// Checked build: stream members without a stream (as the three-argument Open leaves it) stop.
TEST(CheckedFileTest, StreamMembersWithoutStreamStop) {
    std::string const what =
        ": no stream is open: open the file with Open(path, flags) or the constructor (the "
        "three-argument Open opens only the descriptor)";
    CPortableStdioFile file;
    ASSERT_EQ(1, file.Open("/dev/null", CPortableFile::modeRead, nullptr));
    char buffer[8];
    CPortableString line;
    EXPECT_STOPS(file.WriteString("x"), "CPortableStdioFile::WriteString" + what);
    EXPECT_STOPS(file.Write("x", 1), "CPortableStdioFile::Write" + what);
    EXPECT_STOPS(file.Read(buffer, 1), "CPortableStdioFile::Read" + what);
    EXPECT_STOPS(file.ReadString(buffer, sizeof buffer), "CPortableStdioFile::ReadString" + what);
    EXPECT_STOPS(file.ReadString(line), "CPortableStdioFile::ReadString" + what);
    EXPECT_STOPS(file.Seek(0, CPortableFile::begin), "CPortableStdioFile::Seek" + what);
    EXPECT_STOPS(file.GetPosition(), "CPortableStdioFile::GetPosition" + what);
    EXPECT_EQ(0, file.Read(buffer, 0));  // a count of 0 reads nothing, stream or not
}
