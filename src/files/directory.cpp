// CPortableDirectory: a holder of a string and a list of strings, nothing more.
#include "VelqonMFC.h"

CPortableDirectory::CPortableDirectory(CPortableString /*path*/, CPortableString /*pattern*/) {}
