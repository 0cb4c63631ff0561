// Views of a string's block header, for the tests that pin sharing, capacities and the sentinel.
#ifndef VELQON_TESTS_SUPPORT_STRING_PROBES_H
#define VELQON_TESTS_SUPPORT_STRING_PROBES_H

#include <string>

#include "VelqonMFC.h"

// Holders of the string's block (-1 while locked, and for the sentinel).
inline long RefCount(CPortableString const& s) {
    return s.GetData()->nRefCount;
}
inline int Capacity(CPortableString const& s) {
    return s.GetData()->nCapacity;
}
inline bool OnSentinel(CPortableString const& s) {
    return static_cast<char const*>(s) == _portablePchNil;
}
inline bool SameBlock(CPortableString const& a, CPortableString const& b) {
    return a.GetData() == b.GetData();
}
// The characters up to the length, embedded zero bytes included.
inline std::string Text(CPortableString const& s) {
    return std::string(s, s.GetLength());
}

#endif  // VELQON_TESTS_SUPPORT_STRING_PROBES_H
