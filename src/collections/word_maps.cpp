// The maps with pointer and word keys: the map engine over plain keys that all hash to 0 and
// plain values that start as zero.
#include "map_engine.h"

using velqon_internal::ScalarElements;
using velqon_internal::ValueKeys;

VELQON_DEFINE_MAP_MEMBERS(CMapPtrToPtr, ValueKeys<void*>, ScalarElements<void*>, void*)
VELQON_DEFINE_MAP_MEMBERS(CMapPtrToWord, ValueKeys<void*>, ScalarElements<unsigned short>, void*)
VELQON_DEFINE_MAP_MEMBERS(CMapWordToPtr, ValueKeys<unsigned short>, ScalarElements<void*>,
                          unsigned short)
VELQON_DEFINE_MAP_MEMBERS(CMapWordToOb, ValueKeys<unsigned short>, ScalarElements<CObject*>,
                          unsigned short)

void* CMapPtrToPtr::GetValueAt(void* key) const {
    return VELQON_MAP_READER(CMapPtrToPtr, ValueKeys<void*>, ScalarElements<void*>).ValueAt(key);
}
