// CPtrList and CObList: the list engine over pointer elements, which start null, are never
// owned and compare by value.
#include "list_engine.h"

using velqon_internal::ScalarElements;

VELQON_DEFINE_LIST_MEMBERS(CPtrList, ScalarElements<void*>, void*)
VELQON_DEFINE_LIST_MEMBERS(CObList, ScalarElements<CObject*>, CObject*)
