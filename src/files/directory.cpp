// CPortableDirectory: a holder of a string and a list of strings, nothing more.
#include "VelqonMFC.h"

// The parameters are by value in the class's fixed signature.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
CPortableDirectory::CPortableDirectory(CPortableString /*path*/, CPortableString /*pattern*/) {}
