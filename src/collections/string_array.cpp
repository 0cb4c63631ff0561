// CStringArray: the array engine over string elements, plus the C-string insertions.
#include "array_engine.h"

using velqon_internal::StringElements;

VELQON_DEFINE_ARRAY_MEMBERS(CStringArray, StringElements)

void CStringArray::SetAtGrow(int index, char const* text) {
    VELQON_ARRAY_ENGINE(CStringArray, StringElements)
        .SetAtGrowWith(index, [text](CPortableString& slot) { slot = text; });
}

void CStringArray::InsertAt(int index, char const* text, int count) {
    // The gap is opened before the string is built, so the storage is allocated before the
    // string's block: a failed build leaves `count` empty strings behind.
    VELQON_ARRAY_ENGINE(CStringArray, StringElements).CheckInsertion("InsertAt", index, count);
    InsertEmpty(index, count);
    CPortableString const value(text);
    for (int i = 0; i < count; ++i) {
        // NOLINTNEXTLINE(clang-analyzer-core.CallAndMessage): see element_policies.h
        m_pElements[index + i] = value;
    }
}

void CStringArray::InsertEmpty(int index, int count) {
    VELQON_ARRAY_ENGINE(CStringArray, StringElements).InsertEmpty(index, count);
}
