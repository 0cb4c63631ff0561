// CPortableStdioFile line I/O: fputs of strings, and fgets into a caller buffer or, chunk by
// chunk, into a CPortableString.
#include <stdio.h>
#include <string.h>

#include <memory>

#include "VelqonMFC.h"
#include "files/stream_required.h"
#include "strings/string_blocks.h"

using velqon_internal::HasStream;

void CPortableStdioFile::WriteString(char const* text) {
    if (!HasStream(m_pStream, "WriteString")) {
        return;
    }
    (void)fputs(text, m_pStream);  // WriteString reports nothing, as its signature says
}

char* CPortableStdioFile::ReadString(char* buffer, unsigned int size) {
    if (!HasStream(m_pStream, "ReadString")) {
        return nullptr;
    }
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

// Room for the text of a line of up to 32 full chunks on the stack; longer lines move to the
// heap, doubling, so that one call stays linear in the length of its line.
size_t const kInlineText = 32 * (kChunkSize - 1) + kChunkSize + 1;

// Zeroes for the chunk room. Copying them compiles to a few vector stores, where a memset of
// this size becomes a string instruction that costs more than the read of a short line.
char const kZeroChunk[kChunkSize + 1] = {};

// The text of one line, gathered chunk by chunk. Each chunk is read straight behind the text
// gathered so far, into kChunkSize + 1 zeroed bytes, so that it is terminated even when fgets
// fails part-way.
class LineText {
public:
    LineText() = default;
    LineText(LineText const&) = delete;
    LineText& operator=(LineText const&) = delete;

    // Zeroed room for the next chunk, behind the text.
    char* ChunkRoom() {
        size_t const needed = m_length + kChunkSize + 1;
        if (needed > m_capacity) {
            size_t const capacity = needed > 2 * m_capacity ? needed : 2 * m_capacity;
            std::unique_ptr<char[]> larger(new char[capacity]);
            memcpy(larger.get(), m_text, m_length);
            m_heap = std::move(larger);
            m_text = m_heap.get();
            m_capacity = capacity;
        }
        char* room = m_text + m_length;
        memcpy(room, kZeroChunk, sizeof kZeroChunk);
        return room;
    }

    // Takes the chunk in ChunkRoom() up to its first zero byte, without a final line feed.
    // Returns whether the chunk ends its line: shorter than a full chunk (measured up to that
    // zero byte), or ending in a line feed.
    bool KeepChunk() {
        char* chunk = m_text + m_length;
        size_t const length = strlen(chunk);
        m_length += length;
        if (length > 0 && chunk[length - 1] == '\n') {
            chunk[length - 1] = '\0';
            --m_length;
            return true;
        }
        return length < static_cast<size_t>(kChunkSize - 1);
    }

    // Appends the text gathered to `line`, as operator+= appends a C string, without measuring
    // it again.
    void AppendTo(CPortableString& line) const {
        velqon_internal::AppendChars(velqon_internal::BufferOf(line), static_cast<int>(m_length),
                                     m_text);
    }

private:
    char m_inline[kInlineText];
    char* m_text = m_inline;
    size_t m_capacity = kInlineText;
    size_t m_length = 0;
    std::unique_ptr<char[]> m_heap;
};

}  // namespace

// The chunks of a line are gathered first and appended to `line` in one append, so a line costs
// one exactly sized block however many chunks it spans (an unshared block with room is filled
// in place, as operator+= does).
int CPortableStdioFile::ReadString(CPortableString& line) {
    velqon_internal::EmptyChars(velqon_internal::BufferOf(line));
    if (!HasStream(m_pStream, "ReadString")) {
        return 0;
    }
    LineText text;
    for (;;) {
        char* const chunk = text.ChunkRoom();
        if (fgets(chunk, kChunkSize, m_pStream) == nullptr) {
            if (!feof(m_pStream)) {
                clearerr(m_pStream);
            }
            text.KeepChunk();  // whatever was read before the failure
            text.AppendTo(line);
            return 0;
        }
        if (text.KeepChunk()) {
            text.AppendTo(line);
            return 1;
        }
        // A full chunk of 127 characters not ending in a line feed: the line goes on.
    }
}
