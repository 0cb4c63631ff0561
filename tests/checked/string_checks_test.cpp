// Checked build, strings: bad indexes and lengths stop; the documented clamps do not (the string
// fuzz targets' corpora replay them in this build too).
#include <string.h>

#include "VelqonMFC.h"
#include "checked.h"

// Reading outside [0, length): the terminator is not a character.
TEST(CheckedStringTest, IndexOutsideStops) {
    CPortableString const text("abc");
    EXPECT_STOPS(text.GetAt(3), "CPortableString::GetAt: index 3 outside [0, 3)");
    EXPECT_STOPS(text[-1], "CPortableString::operator[]: index -1 outside [0, 3)");
    EXPECT_STOPS(CPortableString().GetAt(0), "CPortableString::GetAt: index 0 outside [0, 0)");
}

// Negative lengths, and a released length beyond the capacity of the block it lands in.
TEST(CheckedStringTest, BadLengthsStop) {
    EXPECT_STOPS(CPortableString("abc", -1),
                 "CPortableString::CPortableString: negative length -1");
    CPortableString text("abc");
    EXPECT_STOPS(text.GetBufferSetLength(-1),
                 "CPortableString::GetBufferSetLength: negative length -1");
    EXPECT_STOPS(text.ReleaseBuffer(-2), "CPortableString::ReleaseBuffer: negative length -2");
    EXPECT_STOPS(text.ReleaseBuffer(4),
                 "CPortableString::ReleaseBuffer: length 4 exceeds capacity 3");
    // Shared after GetBuffer: the private copy is only as long as the text, so the characters
    // written past it would be lost.
    strcpy(text.GetBuffer(10), "abcdefgh");
    CPortableString const holder(text);
    EXPECT_STOPS(text.ReleaseBuffer(8),
                 "CPortableString::ReleaseBuffer: length 8 exceeds capacity 3");
}
