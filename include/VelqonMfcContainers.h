// VelqonMfcContainers.h - arrays, lists and maps of pointers, integers and strings.
//
// Seventeen collection classes in three families:
//   arrays  CByteArray, CWordArray, CDWordArray, CUIntArray, CPtrArray, CObArray, CStringArray
//   lists   CPtrList, CObList, CStringList
//   maps    CMapPtrToPtr, CMapPtrToWord, CMapWordToPtr, CMapWordToOb,
//           CMapStringToPtr, CMapStringToOb, CMapStringToString
// Every class derives publicly from CObject. Their shapes are fixed: field names, types and
// order, the nested CNode/CAssoc records and every member signature are what ported code and
// existing binaries rely on, so none of them may change. The classes of one family differ only
// in element, key and value types; each family's members are documented once, above the
// family's declarations.
//
// Thread-safety: no class here takes a lock. A collection is used by one thread at a time or is
// guarded by its caller. Stored strings share character blocks with the caller's strings through
// the interlocked reference counts, so those strings may live on other threads.
//
// Contracts common to all families:
// - Arguments are never checked: indexes, counts and positions outside the documented ranges are
//   caller errors with undefined results. A checked build stops on them instead (see the checked
//   build in VelqonMFC.h); the inline accessors check there too.
// - The only failure is std::bad_alloc from the global operator new[]; each member says what it
//   leaves behind.
// - The Ptr and Ob collections hold plain pointers that they never own: nothing is deleted,
//   copied or called through a stored pointer, and elements compare by pointer value.
// - Copying a collection object is not allowed (it would share the storage).
#ifndef VELQON_MFCCONTAINERS_H
#define VELQON_MFCCONTAINERS_H

#include "VelqonMFC.h"

#define VELQON_API __attribute__((visibility("default")))

// Checks of the inline accessors in a checked build, through VELQON_INLINE_CHECK of
// VelqonMFC.h; nothing otherwise. Each
// yields the element or node it guards.
// Array element `index` of class X, which must lie in [0, GetSize()).
#define VELQON_CHECKED_ELEMENT(X, function, index)                                           \
    (VELQON_INLINE_CHECK(index >= 0 && index < m_nElements,                                  \
                         #X "::" function ": index %d outside [0, %d)", index, m_nElements), \
     m_pElements[index])
// List node `node` of class X, which must not be null (`problem` says why it would be).
#define VELQON_CHECKED_NODE(X, function, node, problem) \
    (VELQON_INLINE_CHECK(node != nullptr, #X "::" function ": " problem), node)

// ---------------------------------------------------------------------------------------------
// Object root, positions, block allocator
// ---------------------------------------------------------------------------------------------

// Root of the collection classes. No data; the virtual destructor is its only virtual operation,
// so deleting any collection through a CObject* runs the collection's own destructor. The Ob
// collections hold CObject* values without owning them.
class VELQON_API CObject {
public:
    CObject();
    virtual ~CObject();
};

// Position handle of lists and maps: declared, never defined, only stored, passed back and
// compared with null. In a list it is the address of a node and stays valid until that node is
// removed (node storage is reused at once, so a stale position silently names another node). In
// a map it is the address of an association, or POSITION_BEFORE_FIRST.
struct __POSITION;
typedef __POSITION* POSITION;

// The map position before the first association, where every map walk starts: every bit set.
#define POSITION_BEFORE_FIRST (reinterpret_cast<POSITION>(-1L))

// One raw memory block of a chain from which lists and maps carve their nodes; a container owns
// its chain through one CPlex* variable (null: empty chain) pointing at the newest block.
// Fixed shape: the single link field, immediately followed by the data area.
struct VELQON_API CPlex {
    CPlex* pNextBlock;  // the next older block of the chain; null in the oldest

    // Allocates one block with operator new[] whose data area holds count * elementSize bytes
    // (an unsigned 32-bit product, left uninitialised), links it in front of `chain` and returns
    // it. A count of 0 still makes a linked block. On std::bad_alloc the chain is unchanged.
    static CPlex* Create(CPlex*& chain, unsigned int count, unsigned int elementSize);
    // The data area: the address just past the header.
    void* data();
    // Frees this block and every older one, newest first. Called through a null chain pointer
    // (the chain of an empty container) it does nothing. The caller resets its chain variable.
    void FreeDataChain();
};

// ---------------------------------------------------------------------------------------------
// Array family
// ---------------------------------------------------------------------------------------------
//
// A growable array of one element type, indexed from 0, owning one contiguous run of raw
// storage (operator new[]). Fields, in this fixed order:
//   m_pElements   the storage; null exactly when nothing is allocated
//   m_nElements   elements in use (GetSize)
//   m_nAllocated  slots in the storage
//   m_nGrowStep   growth step; 0 selects the automatic step
// Slots between m_nElements and m_nAllocated hold nothing meaningful; they are zero-filled (empty
// strings) whenever they come back into use, so stale values are never exposed. Elements are
// moved as bytes: a CStringArray relocates its strings without touching reference counts.
// CStringArray makes new elements empty strings and destroys removed ones; the scalar arrays
// zero new elements (null pointers) and leave removed ones as they are.
//
// On std::bad_alloc an array keeps its elements, size and capacity (only a step passed to
// SetSize is already stored). That includes a CStringArray member that grows and then fails to
// copy a string into a new element (locked strings and C strings are copied, not shared): the
// growth is undone. Two cases leave a changed array: a failed copy into an element that was
// already there (SetAt, SetAtGrow within the size, Copy) leaves that element empty, as a failed
// string assignment does; InsertAt with a C string keeps its gap (see CStringArray).
//
// Each class names its types: Element, the element type, and ElementArg, the type elements are
// passed in (Element, or CPortableString const&). Members (X the class):
//   X()                     empty array, no storage, automatic growth.
//   ~X()                    frees the storage (CStringArray destroys its strings first).
//   GetSize()               number of elements.
//   GetAt(i)                copy of element i (CStringArray: a string sharing the element's
//                           block unless it is locked).
//   SetAt(i, v)             overwrites element i (0 <= i < GetSize()); never grows. A failed
//                           string copy leaves element i empty.
//   SetSize(n, step = -1)   stores `step` unless it is -1 (0 and other negative values are
//                           stored too), then makes the size n. n = 0 frees the storage. With no
//                           storage, exactly n slots are allocated. Within the capacity the
//                           storage stays (growing zero-fills, shrinking keeps the capacity).
//                           Past it the capacity becomes old capacity + step, at least n; the
//                           automatic step is GetSize() / 8 clamped to 4..1024 (so appending one
//                           at a time gives capacities 1, 5, 9, 13, ..., 41, 46, 51, 57, ...),
//                           and a negative stored step allocates exactly n every time.
//   SetAtGrow(i, v)         grows to i + 1 elements when i >= GetSize(), then stores v at i. v
//                           may be an element of this array.
//   InsertAt(i, v, n = 1)   inserts n copies of v at i (shifting the rest up); i past the end
//                           first zero-fills up to i. v may be an element of this array.
//   InsertAt(i, other)      inserts all elements of another array (not this one) at i.
//   RemoveAt(i, n = 1)      removes n elements from i (i + n <= GetSize()); keeps the capacity.
//   Copy(other)             makes this array an element-wise copy of another; the capacity only
//                           shrinks when the source is empty (the storage is then freed). A
//                           failed string copy leaves the source's size, the elements before it
//                           copied, that element empty and the later ones as they were (empty
//                           where the array grew).
//   Append(other)           appends another array's elements (not this one's); returns the old
//                           size, also when the source is empty.
//   FreeExtra()             shrinks the storage to exactly GetSize() slots (none for size 0).
// Inline conveniences, defined through the members above:
//   GetCount(), IsEmpty()   size, and 1 when it is 0.
//   GetUpperBound()         GetSize() - 1.
//   Add(v)                  SetAtGrow(GetSize(), v); returns the new element's index.
//   RemoveAll()             SetSize(0, -1): frees the storage.
//   ElementAt(i), [i]       reference to element i; valid until the storage is reallocated.
//   GetData()               the storage, or null.
// clang-format off
#define VELQON_ARRAY_MEMBERS(X)                                                               \
public:                                                                                       \
    X();                                                                                      \
    ~X();                                                                                     \
    X(X const&) = delete;                                                                     \
    X& operator=(X const&) = delete;                                                          \
    int GetSize() const;                                                                      \
    Element GetAt(int index) const;                                                           \
    void SetAt(int index, ElementArg value);                                                  \
    void SetSize(int newSize, int growStep = -1);                                             \
    void SetAtGrow(int index, ElementArg value);                                              \
    void InsertAt(int index, ElementArg value, int count = 1);                                \
    void InsertAt(int startIndex, X* other);                                                  \
    void RemoveAt(int index, int count = 1);                                                  \
    void Copy(X const& source);                                                               \
    int Append(X const& source);                                                              \
    void FreeExtra();                                                                         \
                                                                                              \
    int GetCount() const { return GetSize(); }                                                \
    int IsEmpty() const { return GetSize() == 0; }                                            \
    int GetUpperBound() const { return GetSize() - 1; }                                       \
    int Add(ElementArg value) {                                                               \
        int const index = GetSize();                                                          \
        SetAtGrow(index, value);                                                              \
        return index;                                                                         \
    }                                                                                         \
    void RemoveAll() { SetSize(0, -1); }                                                      \
    Element& ElementAt(int index) { return VELQON_CHECKED_ELEMENT(X, "ElementAt", index); }   \
    Element const& ElementAt(int index) const {                                               \
        return VELQON_CHECKED_ELEMENT(X, "ElementAt", index);                                 \
    }                                                                                         \
    Element& operator[](int index) { return VELQON_CHECKED_ELEMENT(X, "operator[]", index); } \
    Element const& operator[](int index) const {                                              \
        return VELQON_CHECKED_ELEMENT(X, "operator[]", index);                                \
    }                                                                                         \
    Element* GetData() { return m_pElements; }                                                \
    Element const* GetData() const { return m_pElements; }                                    \
                                                                                              \
protected:                                                                                    \
    Element* m_pElements;                                                                     \
    int m_nElements;                                                                          \
    int m_nAllocated;                                                                         \
    int m_nGrowStep;
// clang-format on

// Array of unsigned 8-bit values. Fixed shape (see the family comment).
class VELQON_API CByteArray : public CObject {
public:
    using Element = unsigned char;
    using ElementArg = unsigned char;
    VELQON_ARRAY_MEMBERS(CByteArray)
};

// Array of unsigned 16-bit values. Fixed shape (see the family comment).
class VELQON_API CWordArray : public CObject {
public:
    using Element = unsigned short;
    using ElementArg = unsigned short;
    VELQON_ARRAY_MEMBERS(CWordArray)
};

// Array of unsigned 32-bit values. Fixed shape (see the family comment).
class VELQON_API CDWordArray : public CObject {
public:
    using Element = unsigned int;
    using ElementArg = unsigned int;
    VELQON_ARRAY_MEMBERS(CDWordArray)
};

// Array of unsigned int; the same as CDWordArray in all but the name. Fixed shape.
class VELQON_API CUIntArray : public CObject {
public:
    using Element = unsigned int;
    using ElementArg = unsigned int;
    VELQON_ARRAY_MEMBERS(CUIntArray)
};

// Array of untyped pointers, never owned. Fixed shape (see the family comment).
class VELQON_API CPtrArray : public CObject {
public:
    using Element = void*;
    using ElementArg = void*;
    VELQON_ARRAY_MEMBERS(CPtrArray)
};

// Array of CObject pointers, never owned or deleted. Fixed shape (see the family comment).
class VELQON_API CObArray : public CObject {
public:
    using Element = CObject*;
    using ElementArg = CObject*;
    VELQON_ARRAY_MEMBERS(CObArray)
};

// Array of strings. Fixed shape (see the family comment). Stored strings share blocks with the
// strings they were assigned from (unless those are locked); writing to one copies it first.
class VELQON_API CStringArray : public CObject {
public:
    using Element = CPortableString;
    using ElementArg = CPortableString const&;
    VELQON_ARRAY_MEMBERS(CStringArray)

public:
    // SetAtGrow assigning from a C string: the element gets its own copy of the text (null
    // gives the empty string). The array grows first; if the copy of the text then fails with
    // std::bad_alloc, the growth is undone.
    void SetAtGrow(int index, char const* text);
    // Inserts `count` elements sharing one block built from `text` (null or "" gives empty
    // strings). The gap is opened first: if building the string fails with std::bad_alloc, the
    // array keeps `count` new empty strings.
    void InsertAt(int index, char const* text, int count = 1);
    // Opens a gap of `count` empty strings at `index`; an index past the end first fills the
    // array up to it with empty strings.
    void InsertEmpty(int index, int count);
};

#undef VELQON_ARRAY_MEMBERS

// ---------------------------------------------------------------------------------------------
// List family
// ---------------------------------------------------------------------------------------------
//
// A doubly linked list of one element type. Nodes are carved from CPlex blocks of
// m_nNodesPerBlock nodes (handed out in ascending address order), recycled through a spare
// chain (the most recently freed node is reused first) and returned only all at once: when the
// last element is removed, on RemoveAll and in the destructor. So an emptied list holds no
// memory. Nodes never move; a position, and a reference to an element, stays valid until its
// node is removed. Fields, in this fixed order:
//   m_pHeadNode, m_pTailNode  first and last node; null when empty
//   m_nNodeCount              number of elements
//   m_pSpareNodes             allocated nodes not in use, chained through pNextNode
//   m_pNodeBlocks             chain of every block, newest first
//   m_nNodesPerBlock          nodes per new block (>= 1); set by the constructor
// CNode, fixed: pNextNode (toward the tail; next spare node in the spare chain), pPrevNode
// (toward the head), element. CStringList makes each new node's element an empty string before
// assigning to it, and destroys it when the node is freed. An insertion that fails with
// std::bad_alloc leaves the list unchanged.
//
// Each class names its types: Element, the element type; ElementArg, the type elements are passed
// in (Element, or CPortableString const&); FindArg, the type Find compares with (Element, or
// char const*). Members (X the class):
//   X(n = 10)                  empty list carving n nodes per block; allocates nothing.
//   ~X()                       RemoveAll().
//   GetHeadPosition(), GetTailPosition()  the first and last node; null when empty.
//   GetNext(pos), GetPrev(pos) reference to the element at pos (a live node of this list);
//                              pos moves to the next (previous) node, null past the end.
//   AddHead(v), AddTail(v)     inserts at the head (tail); returns the new node's position.
//   AddHead(other), AddTail(other)  inserts copies of all elements of another list (not this
//                              one) in their order in front of the head (after the tail).
//   InsertBefore(pos, v), InsertAfter(pos, v)  inserts next to the node at pos; a null pos
//                              means AddHead (AddTail). Returns the new node's position.
//   RemoveHead(), RemoveTail() removes the first (last) node of a non-empty list and returns a
//                              copy of its element (taken before the node is freed).
//   RemoveAt(pos)              removes the node at pos.
//   RemoveAll()                removes every element and frees every block.
//   FindIndex(i)               position of element i, or null when i < 0 or i >= GetCount().
//   Find(v, after = null)      first node equal to v after `after` (from the head when null);
//                              `after` itself is never compared. Null when there is none.
//                              Pointers compare by value, CStringList by exact, case-sensitive
//                              text (the text must not be null).
//   NewNode(prev, next)        internal: takes a node (carving a block when no spare is left),
//                              sets its links, counts it and initialises its element.
//   FreeNode(node)             internal: releases the element, pushes the node on the spare
//                              chain; at count 0 the list frees everything (RemoveAll).
// Inline conveniences:
//   GetCount(), IsEmpty()      number of elements, and 1 when it is 0.
//   GetHead(), GetTail()       element of the first (last) node of a non-empty list.
//   GetAt(pos), SetAt(pos, v)  element of the node at pos, read or assigned.
// clang-format off
#define VELQON_HEAD_NODE(X) VELQON_CHECKED_NODE(X, "GetHead", m_pHeadNode, "list is empty")
#define VELQON_TAIL_NODE(X) VELQON_CHECKED_NODE(X, "GetTail", m_pTailNode, "list is empty")
#define VELQON_POSITION_NODE(X, function, pos) \
    VELQON_CHECKED_NODE(X, function, reinterpret_cast<CNode*>(pos), "null position")
#define VELQON_LIST_MEMBERS(X)                                                              \
protected:                                                                                  \
    struct CNode {                                                                          \
        CNode* pNextNode;                                                                   \
        CNode* pPrevNode;                                                                   \
        Element element;                                                                    \
    };                                                                                      \
                                                                                            \
public:                                                                                     \
    explicit X(int nodesPerBlock = 10);                                                     \
    ~X();                                                                                   \
    X(X const&) = delete;                                                                   \
    X& operator=(X const&) = delete;                                                        \
    POSITION GetHeadPosition() const;                                                       \
    POSITION GetTailPosition() const;                                                       \
    Element& GetNext(POSITION& position);                                                   \
    Element& GetPrev(POSITION& position);                                                   \
    POSITION AddHead(ElementArg value);                                                     \
    POSITION AddTail(ElementArg value);                                                     \
    void AddHead(X* other);                                                                 \
    void AddTail(X* other);                                                                 \
    POSITION InsertBefore(POSITION position, ElementArg value);                             \
    POSITION InsertAfter(POSITION position, ElementArg value);                              \
    Element RemoveHead();                                                                   \
    Element RemoveTail();                                                                   \
    void RemoveAt(POSITION position);                                                       \
    void RemoveAll();                                                                       \
    POSITION FindIndex(int index) const;                                                    \
    POSITION Find(FindArg value, POSITION startAfter = nullptr) const;                      \
                                                                                            \
    int GetCount() const { return m_nNodeCount; }                                           \
    int IsEmpty() const { return m_nNodeCount == 0; }                                       \
    Element& GetHead() { return VELQON_HEAD_NODE(X)->element; }                             \
    Element const& GetHead() const { return VELQON_HEAD_NODE(X)->element; }                 \
    Element& GetTail() { return VELQON_TAIL_NODE(X)->element; }                             \
    Element const& GetTail() const { return VELQON_TAIL_NODE(X)->element; }                 \
    Element& GetAt(POSITION pos) { return VELQON_POSITION_NODE(X, "GetAt", pos)->element; } \
    Element const& GetAt(POSITION pos) const {                                              \
        return VELQON_POSITION_NODE(X, "GetAt", pos)->element;                              \
    }                                                                                       \
    void SetAt(POSITION pos, ElementArg value) {                                            \
        VELQON_POSITION_NODE(X, "SetAt", pos)->element = value;                             \
    }                                                                                       \
                                                                                            \
protected:                                                                                  \
    CNode* NewNode(CNode* previous, CNode* next);                                           \
    void FreeNode(CNode* node);                                                             \
                                                                                            \
    CNode* m_pHeadNode;                                                                     \
    CNode* m_pTailNode;                                                                     \
    int m_nNodeCount;                                                                       \
    CNode* m_pSpareNodes;                                                                   \
    CPlex* m_pNodeBlocks;                                                                   \
    int m_nNodesPerBlock;
// clang-format on

// List of untyped pointers, never owned. Fixed shape (see the family comment).
class VELQON_API CPtrList : public CObject {
public:
    using Element = void*;
    using ElementArg = void*;
    using FindArg = void*;
    VELQON_LIST_MEMBERS(CPtrList)
};

// List of CObject pointers, never owned or deleted. Fixed shape (see the family comment).
class VELQON_API CObList : public CObject {
public:
    using Element = CObject*;
    using ElementArg = CObject*;
    using FindArg = CObject*;
    VELQON_LIST_MEMBERS(CObList)
};

// List of strings. Fixed shape (see the family comment). An inserted string shares the block of
// the string it was given (unless that is locked); RemoveHead/RemoveTail hand the node's
// reference to the caller's copy.
class VELQON_API CStringList : public CObject {
public:
    using Element = CPortableString;
    using ElementArg = CPortableString const&;
    using FindArg = char const*;
    VELQON_LIST_MEMBERS(CStringList)

public:
    // Insertions of a C string: the element holds the only reference to a block built from the
    // text (null gives the empty string). If building it fails, the list is unchanged.
    POSITION AddHead(char const* text);
    POSITION AddTail(char const* text);
    POSITION InsertBefore(POSITION position, char const* text);
    POSITION InsertAfter(POSITION position, char const* text);
};

#undef VELQON_LIST_MEMBERS
#undef VELQON_POSITION_NODE
#undef VELQON_TAIL_NODE
#undef VELQON_HEAD_NODE

// ---------------------------------------------------------------------------------------------
// Map family
// ---------------------------------------------------------------------------------------------
//
// A hash map: a bucket array of singly linked chains of associations (CAssoc) carved from CPlex
// blocks of m_nBlockSize associations (handed out in ascending address order) and recycled
// through a free list (the most recently freed first). A new association goes to the head of its
// bucket. When the count drops to 0 (RemoveKey) and on RemoveAll the map frees the bucket array
// and every block and is back in its initial state, keeping its hash table size. Fields, in this
// fixed order:
//   m_pHashTable      bucket array; null until the first insertion
//   m_nHashTableSize  number of buckets (>= 1); 17 after construction
//   m_nCount          number of associations
//   m_pFreeList       free associations, chained through pNextAssoc
//   m_pBlocks         chain of every block, newest first
//   m_nBlockSize      associations per new block (>= 1); set by the constructor
// Pointer and word keys hash to 0, so every association lives in bucket 0 and a walk visits them
// from the most recently inserted to the earliest (removals keep the order of the rest).
//
// Lookups, insertions and removals take expected constant time at any size and any bucket count:
// a map of more than 32 associations (or with more than 1024 buckets) keeps an index beside it,
// outside its fixed fields, that finds an association and the link pointing at it without
// walking its chain. The index changes nothing observable: buckets, chain orders, association
// addresses and allocations are those described here; it is allocated with plain operator new,
// never new[], and if that fails the map drops the index and walks its chains, throwing nothing.
// Lookups and walks only read it, so an unchanging map may be read from several threads at once.
//
// String keys hash to h = 33 * h + c over their characters c, each read as a signed char, in
// wrapping unsigned 32-bit arithmetic ("a" 97, "ab" 3299, "" 0); the bucket index, hash modulo the
// table size, is stored in each association, and a walk visits buckets in ascending index order,
// each from its most recent association to its earliest (a, ab, abc inserted into 17 buckets are
// walked ab, a, abc). String keys are copied into the map, compared exactly (case-sensitive) and
// must not be null.
//
// Each class names its types: Key, the type of a stored key and of the keys a walk delivers
// (CPortableString for string keys); KeyArg, the type keys are passed in (char const* for string
// keys); Value, the value type; ValueArg, the type SetAt takes values in (Value, or
// CPortableString const&). Members (X the class):
//   X(n = 10)                  empty map, 17 buckets, n associations per block; allocates
//                              nothing.
//   ~X()                       RemoveAll().
//   HashKey(k)                 the key's hash (0 for pointer and word keys).
//   InitHashTable(n, allocate = 1)  frees the bucket array, allocates n zeroed buckets when
//                              `allocate` is non-zero, and stores n as the table size. Only for
//                              an empty map (associations are not moved). On std::bad_alloc the
//                              map has no bucket array and keeps its old size.
//   Lookup(k, v)               1 and the value copied into v when k is present (a string value
//                              shares the stored block); 0 and v untouched otherwise.
//   operator[](k)              reference to k's value; an absent key is first inserted with a
//                              zero (empty string) value. The reference stays valid until k is
//                              removed. On std::bad_alloc the map is unchanged.
//   RemoveKey(k)               1 when k was present and is removed, else 0.
//   RemoveAll()                removes everything (destroying stored strings) and frees all
//                              memory; the table size stays.
//   GetNextAssoc(pos, k, v)    delivers the association at pos (POSITION_BEFORE_FIRST: the first
//                              one) into k and v and moves pos to the next, null after the last.
//                              pos is never null, and never POSITION_BEFORE_FIRST on an empty map.
//   GetAssocAt(k, bucket)      internal: writes k's bucket index (also without a bucket array)
//                              and returns k's association, or null.
//   NewAssoc(), FreeAssoc(a)   internal: take a counted association with a zero key and value;
//                              give one back (at count 0 the map frees everything).
// Inline conveniences:
//   GetCount(), IsEmpty()      number of associations, and 1 when it is 0.
//   GetHashTableSize()         number of buckets.
//   GetStartPosition()         where a walk starts: POSITION_BEFORE_FIRST, or null when empty.
//   SetAt(k, v)                (*this)[k] = v.
// clang-format off
#define VELQON_MAP_MEMBERS(X)                                                                     \
public:                                                                                           \
    explicit X(int blockSize = 10);                                                               \
    ~X();                                                                                         \
    X(X const&) = delete;                                                                         \
    X& operator=(X const&) = delete;                                                              \
    unsigned int HashKey(KeyArg key) const;                                                       \
    void InitHashTable(unsigned int hashSize, int allocateNow = 1);                               \
    int Lookup(KeyArg key, Value& value) const;                                                   \
    Value& operator[](KeyArg key);                                                                \
    int RemoveKey(KeyArg key);                                                                    \
    void RemoveAll();                                                                             \
    void GetNextAssoc(POSITION& position, Key& key, Value& value) const;                          \
                                                                                                  \
    int GetCount() const { return m_nCount; }                                                     \
    int IsEmpty() const { return m_nCount == 0; }                                                 \
    unsigned int GetHashTableSize() const { return m_nHashTableSize; }                            \
    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : POSITION_BEFORE_FIRST; } \
    void SetAt(KeyArg key, ValueArg value) { (*this)[key] = value; }                              \
                                                                                                  \
protected:                                                                                        \
    CAssoc* NewAssoc();                                                                           \
    void FreeAssoc(CAssoc* assoc);                                                                \
    CAssoc* GetAssocAt(KeyArg key, unsigned int& bucket) const;                                   \
                                                                                                  \
    CAssoc** m_pHashTable;                                                                        \
    unsigned int m_nHashTableSize;                                                                \
    int m_nCount;                                                                                 \
    CAssoc* m_pFreeList;                                                                          \
    CPlex* m_pBlocks;                                                                             \
    int m_nBlockSize;
// clang-format on

// Association of the pointer- and word-keyed maps, fixed: next, key, value.
// clang-format off
#define VELQON_ASSOC        \
protected:                  \
    struct CAssoc {         \
        CAssoc* pNextAssoc; \
        Key key;            \
        Value value;        \
    };
// clang-format on

// Association of the string-keyed maps, fixed: next, bucket index (not the hash), key, value.
// clang-format off
#define VELQON_STRING_ASSOC        \
protected:                         \
    struct CAssoc {                \
        CAssoc* pNextAssoc;        \
        unsigned int nBucketIndex; \
        Key key;                   \
        Value value;               \
    };
// clang-format on

// Map from untyped pointers to untyped pointers. Fixed shape (see the family comment).
class VELQON_API CMapPtrToPtr : public CObject {
public:
    using Key = void*;
    using KeyArg = void*;
    using Value = void*;
    using ValueArg = void*;
    VELQON_ASSOC
    VELQON_MAP_MEMBERS(CMapPtrToPtr)

public:
    // The value stored for `key`; null when it is absent (indistinguishable from a stored null).
    void* GetValueAt(void* key) const;
};

// Map from untyped pointers to unsigned 16-bit words. Fixed shape (see the family comment).
class VELQON_API CMapPtrToWord : public CObject {
public:
    using Key = void*;
    using KeyArg = void*;
    using Value = unsigned short;
    using ValueArg = unsigned short;
    VELQON_ASSOC
    VELQON_MAP_MEMBERS(CMapPtrToWord)
};

// Map from unsigned 16-bit words to untyped pointers. Fixed shape (see the family comment).
class VELQON_API CMapWordToPtr : public CObject {
public:
    using Key = unsigned short;
    using KeyArg = unsigned short;
    using Value = void*;
    using ValueArg = void*;
    VELQON_ASSOC
    VELQON_MAP_MEMBERS(CMapWordToPtr)
};

// Map from unsigned 16-bit words to CObject pointers (never owned). Fixed shape.
class VELQON_API CMapWordToOb : public CObject {
public:
    using Key = unsigned short;
    using KeyArg = unsigned short;
    using Value = CObject*;
    using ValueArg = CObject*;
    VELQON_ASSOC
    VELQON_MAP_MEMBERS(CMapWordToOb)
};

// Members the string-keyed maps add to the family's.
//   LookupKey(k, stored)       1 and a pointer to the map's own copy of the key's characters in
//                              `stored` when k is present (valid while the key stays in the
//                              map); 0 and `stored` untouched otherwise.
// clang-format off
#define VELQON_STRING_KEY_MEMBERS \
public:                           \
    int LookupKey(char const* key, char const*& storedKey) const;
// clang-format on

// Map from strings to untyped pointers. Fixed shape (see the family comment).
class VELQON_API CMapStringToPtr : public CObject {
public:
    using Key = CPortableString;
    using KeyArg = char const*;
    using Value = void*;
    using ValueArg = void*;
    VELQON_STRING_ASSOC
    VELQON_MAP_MEMBERS(CMapStringToPtr)
    VELQON_STRING_KEY_MEMBERS
};

// Map from strings to CObject pointers (never owned). Fixed shape (see the family comment).
class VELQON_API CMapStringToOb : public CObject {
public:
    using Key = CPortableString;
    using KeyArg = char const*;
    using Value = CObject*;
    using ValueArg = CObject*;
    VELQON_STRING_ASSOC
    VELQON_MAP_MEMBERS(CMapStringToOb)
    VELQON_STRING_KEY_MEMBERS
};

// Map from strings to strings. Fixed shape (see the family comment). Values share blocks with
// the strings they are assigned from and handed out to (unless those are locked).
class VELQON_API CMapStringToString : public CObject {
public:
    using Key = CPortableString;
    using KeyArg = char const*;
    using Value = CPortableString;
    using ValueArg = CPortableString const&;
    VELQON_STRING_ASSOC
    VELQON_MAP_MEMBERS(CMapStringToString)
    VELQON_STRING_KEY_MEMBERS
};

#undef VELQON_STRING_KEY_MEMBERS
#undef VELQON_STRING_ASSOC
#undef VELQON_ASSOC
#undef VELQON_MAP_MEMBERS

#undef VELQON_CHECKED_NODE
#undef VELQON_CHECKED_ELEMENT
#undef VELQON_API
#endif  // VELQON_MFCCONTAINERS_H
