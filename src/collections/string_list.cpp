// CStringList: the list engine over string elements, plus the C-string insertions. Find compares
// with a C string, exactly and case-sensitively.
#include "list_engine.h"

using velqon_internal::StringElements;

VELQON_DEFINE_LIST_MEMBERS(CStringList, StringElements, char const*)

// Each C-string insertion builds one temporary string and inserts it by reference, so the element
// holds the only reference to the new block once the temporary is gone.
POSITION CStringList::AddHead(char const* text) {
    return AddHead(CPortableString(text));
}

POSITION CStringList::AddTail(char const* text) {
    return AddTail(CPortableString(text));
}

POSITION CStringList::InsertBefore(POSITION position, char const* text) {
    return InsertBefore(position, CPortableString(text));
}

POSITION CStringList::InsertAfter(POSITION position, char const* text) {
    return InsertAfter(position, CPortableString(text));
}
