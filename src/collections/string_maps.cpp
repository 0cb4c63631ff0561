// The maps with string keys: the map engine over string keys (hashed over their characters,
// owned by the association, bucket index stored) and pointer or string values.
#include "map_engine.h"

using velqon_internal::ScalarElements;
using velqon_internal::StringElements;
using velqon_internal::StringKeys;

// Defines a string-keyed map: the shared members and LookupKey.
#define VELQON_DEFINE_STRING_MAP(X, Values)                                                       \
    VELQON_DEFINE_MAP_MEMBERS(X, StringKeys, Values, CPortableString)                             \
    int X::LookupKey(char const* key, char const*& storedKey) const {                             \
        return VELQON_MAP_READER(X, StringKeys, Values).Deliver<&X::CAssoc::key>(key, storedKey); \
    }

VELQON_DEFINE_STRING_MAP(CMapStringToPtr, ScalarElements<void*>)
VELQON_DEFINE_STRING_MAP(CMapStringToOb, ScalarElements<CObject*>)
VELQON_DEFINE_STRING_MAP(CMapStringToString, StringElements)
