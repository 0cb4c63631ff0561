// Small accessors shared by the string tests: they read the block header of a string.
#ifndef VELQON_TESTS_STRING_TEST_SUPPORT_H
#define VELQON_TESTS_STRING_TEST_SUPPORT_H

#include <string>

#include "VelqonMFC.h"

inline long RefCount(CPortableString const& s) {
    return s.GetData()->nRefCount;
}
inline int Capacity(CPortableString const& s) {
    return s.GetData()->nCapacity;
}
inline bool OnSentinel(CPortableString const& s) {
    return static_cast<char const*>(s) == _portablePchNil;
}
// The characters up to the length, embedded zero bytes included.
inline std::string Text(CPortableString const& s) {
    return std::string(s, s.GetLength());
}
inline bool SameBlock(CPortableString const& a, CPortableString const& b) {
    return a.GetData() == b.GetData();
}

#endif  // VELQON_TESTS_STRING_TEST_SUPPORT_H
