// The six scalar array classes: thin facades over the array engine, differing only in the
// element type. Elements start as zero bytes and are moved and copied as bytes.
#include "array_engine.h"

using velqon_internal::ScalarElements;

VELQON_DEFINE_ARRAY_MEMBERS(CByteArray, ScalarElements<unsigned char>)
VELQON_DEFINE_ARRAY_MEMBERS(CWordArray, ScalarElements<unsigned short>)
VELQON_DEFINE_ARRAY_MEMBERS(CDWordArray, ScalarElements<unsigned int>)
VELQON_DEFINE_ARRAY_MEMBERS(CUIntArray, ScalarElements<unsigned int>)
VELQON_DEFINE_ARRAY_MEMBERS(CPtrArray, ScalarElements<void*>)
VELQON_DEFINE_ARRAY_MEMBERS(CObArray, ScalarElements<CObject*>)
