// wordcount: counts the words of a text file and prints the most frequent ones.
//
// Usage: wordcount [file]. Without a file it counts an embedded sample text, which it writes to a
// temporary file first (and removes afterwards) so that both cases read through the same code.
//
// The file is read line by line into a CStringList, words are counted in a CMapStringToPtr (the
// count kept in the pointer value, as the original code did), and the most frequent words are
// kept in order in a CStringArray.
#include "VelqonWin32.h"  // the library's headers and the Windows names (CFile::modeRead, ...)

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static int const kTopWords = 8;

static char const kSampleText[] =
    "It was the best of times, it was the worst of times,\n"
    "it was the age of wisdom, it was the age of foolishness,\n"
    "it was the epoch of belief, it was the epoch of incredulity,\n"
    "it was the season of Light, it was the season of Darkness,\n"
    "it was the spring of hope, it was the winter of despair,\n"
    "we had everything before us, we had nothing before us,\n"
    "we were all going direct to Heaven, we were all going direct the other way.";

// Writes the sample text to a new temporary file; returns its path, or an empty string.
static CPortableString WriteSampleFile() {
    char const* pszTempDir = getenv("TMPDIR");
    CPortableString strPath;
    strPath.Format("%s/wordcount-XXXXXX", pszTempDir != NULL ? pszTempDir : "/tmp");
    int fd = mkstemp(strPath.GetBuffer(0));
    strPath.ReleaseBuffer();
    if (fd < 0) {
        return CPortableString();
    }
    close(fd);

    CPortableStdioFile file;
    if (!file.Open(strPath, CFile::modeCreate | CFile::modeWrite)) {
        unlink(strPath);
        return CPortableString();
    }
    file.WriteString(kSampleText);
    file.Close();
    return strPath;
}

// Appends every line of the file to `lines`; returns 0 when the file cannot be opened.
static int ReadLines(char const* pszPath, CStringList& lines) {
    CPortableStdioFile file;
    if (!file.Open(pszPath, CFile::modeRead)) {
        return 0;
    }
    CPortableString strLine;
    while (file.ReadString(strLine)) {
        lines.AddTail(strLine);
    }
    // ReadString returns 0 at the end of the file but still delivers a last line that has no
    // line feed after it.
    if (!strLine.IsEmpty()) {
        lines.AddTail(strLine);
    }
    file.Close();
    return 1;
}

// Counts the words of every line, lower-cased; a word is a run of letters, digits or apostrophes.
// Returns the number of words.
static int CountWords(CStringList& lines, CMapStringToPtr& counts) {
    int nWords = 0;
    POSITION pos = lines.GetHeadPosition();
    while (pos != NULL) {
        CPortableString& strLine = lines.GetNext(pos);
        int nLength = strLine.GetLength();
        int nStart = 0;
        while (nStart < nLength) {
            int nEnd = nStart;
            while (nEnd < nLength &&
                   (isalnum(static_cast<unsigned char>(strLine[nEnd])) || strLine[nEnd] == '\'')) {
                nEnd++;
            }
            if (nEnd > nStart) {
                CPortableString strWord = strLine.Mid(nStart, nEnd - nStart);
                strWord.MakeLower();
                void* pCount = NULL;
                counts.Lookup(strWord, pCount);
                counts[strWord] = reinterpret_cast<void*>(reinterpret_cast<intptr_t>(pCount) + 1);
                nWords++;
            }
            nStart = nEnd + 1;
        }
    }
    return nWords;
}

static intptr_t CountOf(CMapStringToPtr& counts, char const* pszWord) {
    void* pCount = NULL;
    counts.Lookup(pszWord, pCount);
    return reinterpret_cast<intptr_t>(pCount);
}

// Keeps the kTopWords most frequent words in `top`, most frequent first, ties in alphabetical
// order, by inserting each word at its place and dropping whatever falls off the end.
static void RankWords(CMapStringToPtr& counts, CStringArray& top) {
    POSITION pos = counts.GetStartPosition();
    while (pos != NULL) {
        CPortableString strWord;
        void* pCount = NULL;
        counts.GetNextAssoc(pos, strWord, pCount);
        intptr_t nCount = reinterpret_cast<intptr_t>(pCount);

        int nPlace = top.GetSize();
        while (nPlace > 0) {
            CPortableString strAbove = top.GetAt(nPlace - 1);
            intptr_t nAbove = CountOf(counts, strAbove);
            if (nAbove > nCount || (nAbove == nCount && strAbove.Compare(strWord) < 0)) {
                break;
            }
            nPlace--;
        }
        if (nPlace < kTopWords) {
            top.InsertAt(nPlace, strWord, 1);
            if (top.GetSize() > kTopWords) {
                top.RemoveAt(kTopWords, 1);
            }
        }
    }
}

int main(int argc, char* argv[]) {
    CPortableString strPath;
    CPortableString strTempFile;
    if (argc > 1) {
        strPath = argv[1];
    } else {
        strTempFile = WriteSampleFile();
        if (strTempFile.IsEmpty()) {
            fprintf(stderr, "wordcount: cannot write the sample text to a temporary file\n");
            return 1;
        }
        strPath = strTempFile;
    }

    CStringList lines;
    int bRead = ReadLines(strPath, lines);
    if (!strTempFile.IsEmpty()) {
        unlink(strTempFile);
    }
    if (!bRead) {
        fprintf(stderr, "wordcount: cannot open %s\n", static_cast<char const*>(strPath));
        return 1;
    }

    CMapStringToPtr counts;
    int nWords = CountWords(lines, counts);
    CStringArray top;
    RankWords(counts, top);

    CPortableString strSummary;
    strSummary.Format("%s: %d lines, %d words, %d different", argc > 1 ? argv[1] : "sample text",
                      lines.GetCount(), nWords, counts.GetCount());
    printf("%s\n", static_cast<char const*>(strSummary));
    for (int i = 0; i < top.GetSize(); i++) {
        CPortableString strWord = top.GetAt(i);
        CPortableString strLine;
        strLine.Format("%5ld  %s", static_cast<long>(CountOf(counts, strWord)),
                       static_cast<char const*>(strWord));
        printf("%s\n", static_cast<char const*>(strLine));
    }
    return 0;
}
