// The exported version string.
#include "VelqonProcInfo.h"

char szVelqonVersion[18] = "Version: 2.2.12.0";
