// Windows-style code of windows_style.cpp (a C++11 unit), run by kit_test.cpp.
#ifndef VELQON_TESTS_KIT_WINDOWS_STYLE_H
#define VELQON_TESTS_KIT_WINDOWS_STYLE_H

#include <string>

// Thread function of the Windows form of _beginthreadex: stores GetCurrentThreadId() into the
// DWORD `slot` points at.
unsigned int StoreThreadId(void* slot);
// The names a CFileFind loop over `pattern` visits, each followed by "/" for a directory and by
// "!" when GetFilePath is not GetRoot() + "/" + the name; sorted, one space after each.
std::string NamesOfWindowsLoop(char const* pattern);

#endif  // VELQON_TESTS_KIT_WINDOWS_STYLE_H
