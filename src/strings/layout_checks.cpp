// Compile-time checks of the string's fixed layout. Arrays of strings, the collections'
// element construction and PortableGetEmptyString all treat a string object as one char*, and
// user code reads the block header fields at these offsets.
#include <stddef.h>

#include "VelqonMFC.h"

static_assert(sizeof(CPortableString) == sizeof(char*), "a string is exactly one pointer");
static_assert(sizeof(CPortableStringData) == 16, "header: 64-bit count, int length, int capacity");
static_assert(offsetof(CPortableStringData, nRefCount) == 0, "count first");
static_assert(sizeof(static_cast<CPortableStringData*>(nullptr)->nRefCount) == 8,
              "the count is a signed 64-bit value");
static_assert(offsetof(CPortableStringData, nLength) == 8, "length after the count");
static_assert(offsetof(CPortableStringData, nCapacity) == 12, "capacity after the length");
