// The one implementation behind the seven array classes.
//
// ArrayEngine works on references to the four fields of one array object (m_pElements,
// m_nElements, m_nAllocated, m_nGrowStep) and is parameterised by an element policy
// (element_policies.h). Storage is raw memory from operator new[]; elements are relocated as
// bytes and constructed, assigned and destroyed only through the policy.
//
// std::bad_alloc leaves the array as it was, also where a string copy fails after the array has
// grown: every member that grows and then writes the new elements goes through InsertThen, which
// builds the new layout (in new storage, while the old one is still intact) and undoes it when
// writing an element throws. Only a string copy into an element that was already there (SetAt,
// Copy) cannot be undone: the string's own assignment leaves that element empty.
//
// The engine also knows the class name, for the caller-error checks of the checked build
// (checked.h): each public entry point checks its indexes and counts before touching anything.
#ifndef VELQON_COLLECTIONS_ARRAY_ENGINE_H
#define VELQON_COLLECTIONS_ARRAY_ENGINE_H

#include <stddef.h>

#include <functional>
#include <new>
#include <type_traits>

#include "VelqonMfcContainers.h"
#include "checked.h"
#include "element_policies.h"

namespace velqon_internal {

template <class Elements>
class ArrayEngine {
public:
    using T = typename Elements::Element;
    using Arg = typename Elements::Arg;

    ArrayEngine(char const* className, T*& elements, int& size, int& allocated, int& growStep)
        : m_elements(elements),
          m_size(size),
          m_allocated(allocated),
          m_growStep(growStep),
          m_class(className) {}

    // Checks of the checked build, also used by the members that read or write one element.
    static void CheckIndex(char const* className, char const* member, int index, int size) {
        VELQON_CHECK(index >= 0 && index < size, "%s::%s: index %d outside [0, %d)", className,
                     member, index, size);
    }
    // Where an insertion or growth starts: anywhere from 0 on; the count is not negative.
    void CheckInsertion(char const* member, int index, int count) const {
        VELQON_CHECK(index >= 0, "%s::%s: negative index %d", m_class.Get(), member, index);
        VELQON_CHECK(count >= 0, "%s::%s: negative count %d", m_class.Get(), member, count);
    }

    // Destructor body: destroys the live elements, frees the storage.
    void Destroy() {
        Elements::Destroy(m_elements, m_size);
        ::operator delete[](m_elements);
    }

    void SetSize(int newSize, int growStep) {
        VELQON_CHECK(newSize >= 0, "%s::SetSize: negative size %d", m_class.Get(), newSize);
        if (growStep != -1) {
            m_growStep = growStep;
        }
        if (newSize == 0) {
            FreeAll();
        } else if (newSize < m_size) {
            // Shrinking destroys the removed elements and keeps the capacity.
            Elements::Destroy(m_elements + newSize, m_size - newSize);
            m_size = newSize;
        } else {
            InsertThen(m_size, newSize - m_size, [](T*) {});
        }
    }

    // `value` may be an element of this array: growth moves no element within the storage, and
    // the old storage is released only after the new element is written.
    void SetAtGrow(int index, Arg value) {
        SetAtGrowWith(index, [&](T& slot) { Elements::Assign(slot, value); });
    }

    // SetAtGrow with `store(slot)` writing the element: grows to index + 1 elements first when
    // the index is not in use, and gives the growth back if `store` throws.
    template <class Store>
    void SetAtGrowWith(int index, Store store) {
        CheckInsertion("SetAtGrow", index, 0);
        if (index < m_size) {
            store(m_elements[index]);
        } else {
            InsertThen(m_size, index + 1 - m_size, [&](T* elements) { store(elements[index]); });
        }
    }

    // Opens a gap of `count` fresh elements at `index`; past the end, fills up to it first.
    void InsertEmpty(int index, int count) {
        CheckInsertion("InsertEmpty", index, count);
        InsertThen(index, count, [](T*) {});
    }

    void InsertAt(int index, Arg value, int count) {
        CheckInsertion("InsertAt", index, count);
        WithStable(value, [&](Arg stable) {
            InsertThen(index, count, [&](T* elements) {
                for (int i = 0; i < count; ++i) {
                    Elements::Assign(elements[index + i], stable);
                }
            });
        });
    }

    // Inserts another array's `count` elements at `index`: a gap of copies of the first one,
    // then each slot assigned from its source. Each source element is read into a temporary
    // copy first, as a caller reading it with GetAt would.
    void InsertArray(int index, T const* source, int count) {
        CheckInsertion("InsertAt", index, 0);
        if (count <= 0) {
            return;
        }
        T const first(source[0]);
        InsertThen(index, count, [&](T* elements) {
            for (int i = 0; i < count; ++i) {
                Elements::Assign(elements[index + i], first);
            }
            for (int i = 0; i < count; ++i) {
                Elements::Assign(elements[index + i], T(source[i]));
            }
        });
    }

    void RemoveAt(int index, int count) {
        // Removing nothing at the end (index == size, count 0) is harmless and allowed.
        VELQON_CHECK(index >= 0 && index <= m_size && (index < m_size || count == 0),
                     "%s::RemoveAt: index %d outside [0, %d)", m_class.Get(), index, m_size);
        VELQON_CHECK(count >= 0, "%s::RemoveAt: negative count %d", m_class.Get(), count);
        VELQON_CHECK(count <= m_size - index, "%s::RemoveAt: index %d + count %d runs past size %d",
                     m_class.Get(), index, count, m_size);
        Elements::Destroy(m_elements + index, count);
        RelocateElements(m_elements + index, m_elements + index + count, m_size - (index + count));
        m_size -= count;
    }

    // Assigns over the elements already there: if copying one fails, the array has the source's
    // size, the elements before it copied, that one empty and the ones after it unchanged.
    void Copy(T const* source, int count) {
        SetSize(count, -1);
        Elements::Copy(m_elements, source, count);
    }

    int Append(T const* source, int count) {
        int const oldSize = m_size;
        InsertThen(oldSize, count,
                   [&](T* elements) { Elements::Copy(elements + oldSize, source, count); });
        return oldSize;
    }

    void FreeExtra() {
        if (m_size == m_allocated) {
            return;
        }
        T* const storage = m_size == 0 ? nullptr : Allocate(m_size);
        RelocateElements(storage, m_elements, m_size);
        ::operator delete[](m_elements);
        m_elements = storage;
        m_allocated = m_size;
    }

private:
    // Destroys every element and frees the storage: the state of a new array, growth step aside.
    void FreeAll() {
        Destroy();
        m_elements = nullptr;
        m_size = m_allocated = 0;
    }

    // Makes room as InsertEmpty(index, count) does, then calls fill(elements), where `elements`
    // is the storage the array has from then on, to write the new elements. If `fill` throws,
    // the array is put back as it was (elements, size, capacity) and the exception goes on: in
    // place, the gap is destroyed and closed again; past the capacity, the new storage is filled
    // completely before the old one is released, so failing only means freeing the new one.
    template <class Fill>
    void InsertThen(int index, int count, Fill fill) {
        int const oldSize = m_size;
        int const start = index < oldSize ? index : oldSize;
        int const newSize = (index < oldSize ? oldSize : index) + count;
        if (newSize == 0) {
            FreeAll();  // an empty array gives its storage back
            return;
        }
        if (m_elements == nullptr || newSize > m_allocated) {
            InsertIntoNewStorage(start, newSize, fill);
            return;
        }
        int const added = newSize - oldSize;
        RelocateElements(m_elements + start + added, m_elements + start, oldSize - start);
        Elements::Construct(m_elements + start, added);
        m_size = newSize;
        try {
            fill(m_elements);
        } catch (...) {
            Elements::Destroy(m_elements + start, added);
            RelocateElements(m_elements + start, m_elements + start + added, oldSize - start);
            m_size = oldSize;
            throw;
        }
    }

    // InsertThen past the capacity. New storage holds exactly `newSize` slots for a first
    // allocation, else the capacity plus the step (at least `newSize`). Kept out of line so
    // that growth within the capacity, the path of every append, stays small.
    template <class Fill>
    __attribute__((noinline)) void InsertIntoNewStorage(int start, int newSize, Fill& fill) {
        int capacity = newSize;
        if (m_elements != nullptr) {
            int const step = m_growStep != 0 ? m_growStep : AutomaticStep(m_size);
            if (m_allocated + step > newSize) {
                capacity = m_allocated + step;
            }
        }
        int const added = newSize - m_size;
        T* const storage = Allocate(capacity);
        RelocateElements(storage, m_elements, start);
        RelocateElements(storage + start + added, m_elements + start, m_size - start);
        Elements::Construct(storage + start, added);
        try {
            fill(storage);
        } catch (...) {
            // The relocated elements still belong to the old storage; only the new ones die.
            Elements::Destroy(storage + start, added);
            ::operator delete[](storage);
            throw;
        }
        ::operator delete[](m_elements);
        m_elements = storage;
        m_size = newSize;
        m_allocated = capacity;
    }

    // One eighth of the current size, at least 4 and at most 1024 slots.
    static int AutomaticStep(int size) {
        int const step = size / 8;
        return step < 4 ? 4 : step > 1024 ? 1024 : step;
    }

    static T* Allocate(int count) {
        // NOLINTNEXTLINE(bugprone-sizeof-expression): T is a pointer in CPtrArray and CObArray
        return static_cast<T*>(::operator new[](static_cast<size_t>(count) * sizeof(T)));
    }

    // Calls `use` with `value`, or with a private copy of it when `value` is a reference into
    // this array's storage, where opening a gap may move it (a.InsertAt(0, a[0], 2) must work).
    // Scalar arguments arrive by value and never alias.
    template <class Use>
    void WithStable(Arg value, Use use) {
        if constexpr (std::is_reference<Arg>::value) {
            std::less<void const*> const before;
            void const* const address = &value;
            if (m_elements != nullptr && !before(address, m_elements) &&
                before(address, m_elements + m_allocated)) {
                T const copy(value);  // NOLINT(performance-unnecessary-copy-initialization)
                use(copy);
                return;
            }
        }
        use(value);
    }

    T*& m_elements;
    int& m_size;
    int& m_allocated;
    int& m_growStep;
    [[no_unique_address]] velqon_internal::CheckedOnly<char const*> m_class;
};

}  // namespace velqon_internal

// Binds the engine to the fields of the array X whose member is being defined.
#define VELQON_ARRAY_ENGINE(X, Elements) \
    velqon_internal::ArrayEngine<Elements>(#X, m_pElements, m_nElements, m_nAllocated, m_nGrowStep)

// Defines the members every array class X shares, each a forward to the engine.
// NOLINTBEGIN(bugprone-macro-parentheses): X names the class in declarations (X::X(), X* other),
// where parentheses are not allowed.
#define VELQON_DEFINE_ARRAY_MEMBERS(X, Elements)                                                \
    X::X() : m_pElements(nullptr), m_nElements(0), m_nAllocated(0), m_nGrowStep(0) {}           \
    X::~X() {                                                                                   \
        VELQON_ARRAY_ENGINE(X, Elements).Destroy();                                             \
    }                                                                                           \
    int X::GetSize() const {                                                                    \
        return m_nElements;                                                                     \
    }                                                                                           \
    Elements::Element X::GetAt(int index) const {                                               \
        velqon_internal::ArrayEngine<Elements>::CheckIndex(#X, "GetAt", index, m_nElements);    \
        return m_pElements[index];                                                              \
    }                                                                                           \
    void X::SetAt(int index, Elements::Arg value) {                                             \
        velqon_internal::ArrayEngine<Elements>::CheckIndex(#X, "SetAt", index, m_nElements);    \
        Elements::Assign(m_pElements[index], value);                                            \
    }                                                                                           \
    void X::SetSize(int newSize, int growStep) {                                                \
        VELQON_ARRAY_ENGINE(X, Elements).SetSize(newSize, growStep);                            \
    }                                                                                           \
    void X::SetAtGrow(int index, Elements::Arg value) {                                         \
        VELQON_ARRAY_ENGINE(X, Elements).SetAtGrow(index, value);                               \
    }                                                                                           \
    void X::InsertAt(int index, Elements::Arg value, int count) {                               \
        VELQON_ARRAY_ENGINE(X, Elements).InsertAt(index, value, count);                         \
    }                                                                                           \
    void X::InsertAt(int startIndex, X* other) {                                                \
        VELQON_CHECK(other != this, #X "::InsertAt: array passed to itself");                   \
        VELQON_ARRAY_ENGINE(X, Elements)                                                        \
            .InsertArray(startIndex, other->m_pElements, other->m_nElements);                   \
    }                                                                                           \
    void X::RemoveAt(int index, int count) {                                                    \
        VELQON_ARRAY_ENGINE(X, Elements).RemoveAt(index, count);                                \
    }                                                                                           \
    void X::Copy(X const& source) {                                                             \
        VELQON_ARRAY_ENGINE(X, Elements).Copy(source.m_pElements, source.m_nElements);          \
    }                                                                                           \
    int X::Append(X const& source) {                                                            \
        VELQON_CHECK(&source != this, #X "::Append: array passed to itself");                   \
        return VELQON_ARRAY_ENGINE(X, Elements).Append(source.m_pElements, source.m_nElements); \
    }                                                                                           \
    void X::FreeExtra() {                                                                       \
        VELQON_ARRAY_ENGINE(X, Elements).FreeExtra();                                           \
    }
// NOLINTEND(bugprone-macro-parentheses)

#endif  // VELQON_COLLECTIONS_ARRAY_ENGINE_H
