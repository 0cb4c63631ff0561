// Built as C++11: every public header together with the system headers a porting team's code
// includes, Velqon's first here (thread_test.cpp includes the system ones first).
#include "VelqonMFC.h"
#include "VelqonMfcContainers.h"
#include "VelqonProcInfo.h"
#include "VelqonProcess.h"
#include "VelqonThread.h"
#include "velqontools.h"

#include <pthread.h>
#include <string.h>
#include <unistd.h>

int GettidSeenByCxx11Unit() {
    return gettid();
}
