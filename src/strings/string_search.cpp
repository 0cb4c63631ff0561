// Searching a CPortableString. The searches see the text as a C string: they stop at the first
// zero byte, whatever the length says.
#include <string.h>

#include "VelqonMFC.h"

namespace {

int IndexIn(char const* text, char const* found) {
    return found == nullptr ? -1 : static_cast<int>(found - text);
}

}  // namespace

int CPortableString::Find(char ch, int start) const {
    if (start < 0) {
        start = 0;
    }
    if (start >= GetData()->nLength) {
        return -1;
    }
    return IndexIn(m_pchBuffer, strchr(m_pchBuffer + start, ch));
}

int CPortableString::Find(char ch) const {
    return Find(ch, 0);
}

int CPortableString::Find(char const* text, int start) const {
    if (start < 0) {
        start = 0;
    }
    if (start > GetData()->nLength) {
        return -1;
    }
    return IndexIn(m_pchBuffer, strstr(m_pchBuffer + start, text));
}

int CPortableString::Find(char const* text) const {
    return Find(text, 0);
}

int CPortableString::ReverseFind(char ch) const {
    return IndexIn(m_pchBuffer, strrchr(m_pchBuffer, ch));
}

int CPortableString::FindOneOf(char const* set) const {
    return IndexIn(m_pchBuffer, strpbrk(m_pchBuffer, set));
}
