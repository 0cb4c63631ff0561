// Built as C++11: Windows-style code over the porting kit, which comes before the usual C, POSIX
// and C++ headers here.
#include "VelqonWin32.h"

#include <assert.h>
#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <math.h>
#include <pthread.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/param.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <wchar.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "windows_style.h"

unsigned __stdcall StoreThreadId(LPVOID slot) {
    *static_cast<DWORD*>(slot) = GetCurrentThreadId();
    return 0;
}

std::string NamesOfWindowsLoop(char const* pattern) {
    std::multiset<std::string> names;
    CFileFind finder;
    BOOL bWorking = finder.FindFile(pattern);
    while (bWorking) {
        bWorking = finder.FindNextFile();
        bool const fullPath = finder.GetFilePath() == finder.GetRoot() + "/" + finder.GetFileName();
        names.insert(std::string(finder.GetFileName()) + (finder.IsDirectory() ? "/" : "") +
                     (fullPath ? "" : "!"));
    }
    std::string joined;
    for (std::string const& name : names) {
        joined += name + " ";
    }
    return joined;
}
