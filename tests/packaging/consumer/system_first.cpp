// Windows-style code over the porting kit, system headers first (system_last.cpp: last).
#include <pthread.h>
#include <stdio.h>
#include <string.h>
#include <sys/param.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <VelqonWin32.h>  // and through it every other public header

int CheckLibraryNames();  // system_last.cpp: the number of failed checks

static unsigned __stdcall SetFromThread(LPVOID event) {
    SetEvent(event);
    return 0;
}

int main() {
    HANDLE events[2] = {CreateEvent(NULL, TRUE, FALSE, NULL), CreateEvent(NULL, TRUE, FALSE, NULL)};
    unsigned int id = 0;
    HANDLE thread =
        reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, SetFromThread, events[1], 0, &id));
    bool const windowsNames = CString("porting") + " team" == "porting team" && thread != NULL &&
                              id != 0 && WaitForMultipleObjects(2, events, FALSE, INFINITE) == 1 &&
                              WaitForPortableThread(thread, INFINITE) == 0;
    ClosePortableThread(thread);
    ClosePortableEvent(events[0]);
    ClosePortableEvent(events[1]);
    int const failures = CheckLibraryNames() + (windowsNames ? 0 : 1);
    printf("consumer: %d failed checks%s\n", failures, windowsNames ? "" : " (Windows names)");
    return failures == 0 ? 0 : 1;
}
