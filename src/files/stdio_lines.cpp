// CPortableStdioFile line I/O: fputs of strings, and fgets into a caller buffer or, chunk by
// chunk, into a CPortableString.
#include <stdio.h>
#include <string.h>

#include "VelqonMFC.h"

void CPortableStdioFile::WriteString(char const* text) {
    (void)fputs(text, m_pStream);  // WriteString reports nothing, as its signature says
}

char* CPortableStdioFile::ReadString(char* buffer, unsigned int size) {
    char* const line = fgets(buffer, static_cast<int>(size), m_pStream);
    if (line == nullptr && !feof(m_pStream)) {
        clearerr(m_pStream);
    }
    return line;
}

namespace {

// fgets is given 128 bytes, so a chunk holds at most 127 characters; a chunk shorter than that
// (or one ending in a line feed) ends the line.
int const kChunkSize = 128;

// Drops one final line feed from a chunk of `length` characters.
void StripLineFeed(char* chunk, size_t& length) {
    if (length > 0 && chunk[length - 1] == '\n') {
        chunk[--length] = '\0';
    }
}

}  // namespace

int CPortableStdioFile::ReadString(CPortableString& line) {
    line.Empty();
    for (;;) {
        // One byte beyond fgets' size keeps the chunk terminated even if fgets fails part-way.
        char chunk[kChunkSize + 1];
        memset(chunk, 0, sizeof chunk);
        if (fgets(chunk, kChunkSize, m_pStream) == nullptr) {
            if (!feof(m_pStream)) {
                clearerr(m_pStream);
            }
            size_t length = strlen(chunk);
            StripLineFeed(chunk, length);
            line += chunk;
            return 0;
        }
        // Measured to the first zero byte: text after a zero byte in the file is dropped.
        size_t length = strlen(chunk);
        if (length < static_cast<size_t>(kChunkSize - 1) || chunk[length - 1] == '\n') {
            StripLineFeed(chunk, length);
            line += chunk;
            return 1;
        }
        line += chunk;  // a full chunk: the line goes on
    }
}
