// The typical road end to end: a text file read with CPortableStdioFile::ReadString into a
// CStringList, every line checked, and the list's elements sharing the blocks that were read.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VelqonMFC.h"
#include "VelqonMfcContainers.h"
#include "temp_dir.h"

// Each line arrives once, in order, without its line feed; each element keeps the block the
// line was read into (shared while the reader still holds it, private once it moves on).
TEST(ReadIntoStringListTest, EveryLineArrivesInOrder) {
    std::vector<std::string> const lines = {"first line",
                                            "",
                                            "with carriage return\r",
                                            std::string(127, 'x'),
                                            std::string(300, 'y'),
                                            "\ttabs and spaces  ",
                                            "last line without line feed"};
    std::string content;
    for (std::string const& line : lines)
        content += line + "\n";
    content.pop_back();

    TempDir dir;
    CStringList list;
    {
        CPortableStdioFile file(dir.Write("text.txt", content).c_str(), 0x0);
        ASSERT_NE(nullptr, file.m_pStream);
        CPortableString line;
        while (file.ReadString(line)) {
            list.AddTail(line);
            EXPECT_EQ(line.GetData(), list.GetTail().GetData()) << "the element shares the line";
            EXPECT_EQ(line.IsEmpty() ? -1 : 2, list.GetTail().GetData()->nRefCount);
        }
        EXPECT_EQ(0, line.GetLength());
        file.Close();
    }

    ASSERT_EQ(static_cast<int>(lines.size()), list.GetCount());
    POSITION position = list.GetHeadPosition();
    for (std::string const& expected : lines) {
        CPortableString const& element = list.GetNext(position);
        EXPECT_EQ(expected, std::string(element, element.GetLength()));
        if (!element.IsEmpty()) {
            EXPECT_EQ(1, element.GetData()->nRefCount);
        }
    }
    EXPECT_EQ(nullptr, position);
}
