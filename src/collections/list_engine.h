// The one implementation behind the three list classes.
//
// ListEngine works on references to the six fields of one list object and is parameterised by
// the list's node type and an element policy (element_policies.h). Nodes come from CPlex blocks
// carved into a spare chain (node_blocks.h); the most recently freed node is reused first, and
// every block is freed together as soon as the list is empty. The engine also knows the class
// name, for the caller-error checks of the checked build (checked.h).
#ifndef VELQON_COLLECTIONS_LIST_ENGINE_H
#define VELQON_COLLECTIONS_LIST_ENGINE_H

#include "checked.h"
#include "element_policies.h"
#include "node_blocks.h"

namespace velqon_internal {

template <class Node, class Elements>
class ListEngine {
public:
    using T = typename Elements::Element;
    using Arg = typename Elements::Arg;

    ListEngine(char const* className, Node*& head, Node*& tail, int& count, Node*& spare,
               CPlex*& blocks, int& nodesPerBlock)
        : m_head(head),
          m_tail(tail),
          m_count(count),
          m_spare(spare),
          m_blocks(blocks),
          m_nodesPerBlock(nodesPerBlock),
          m_class(className) {}

    static POSITION ToPosition(Node* node) { return reinterpret_cast<POSITION>(node); }
    static Node* ToNode(POSITION position) { return reinterpret_cast<Node*>(position); }

    // The element at `position`; the position moves along `link` (next or previous node).
    // `function` names the member for the checked build.
    static T& Step(char const* function, POSITION& position, Node* Node::*link) {
        VELQON_CHECK(position != nullptr, "%s: null position", function);
        Node* const node = ToNode(position);
        position = ToPosition(node->*link);
        return node->element;
    }

    static Node* FindIndex(Node* head, int count, int index) {
        if (index >= count || index < 0) {
            return nullptr;
        }
        Node* node = head;
        for (; index != 0; --index) {
            node = node->pNextNode;
        }
        return node;
    }

    // First node after `after` (from `head` when null) whose element equals `value`.
    template <class Value>
    static Node* Find(Node* head, Node* after, Value value) {
        for (Node* node = after != nullptr ? after->pNextNode : head; node != nullptr;
             node = node->pNextNode) {
            if (node->element == value) {
                return node;
            }
        }
        return nullptr;
    }

    Node* NewNode(Node* previous, Node* next) {
        if (m_spare == nullptr) {
            CarveBlock(m_blocks, m_nodesPerBlock, m_spare, &Node::pNextNode);
        }
        Node* const node = m_spare;
        m_spare = node->pNextNode;
        node->pPrevNode = previous;
        node->pNextNode = next;
        ++m_count;
        Elements::Construct(&node->element, 1);
        return node;
    }

    void FreeNode(Node* node) {
        Elements::Destroy(&node->element, 1);
        node->pNextNode = m_spare;
        m_spare = node;
        if (--m_count == 0) {
            RemoveAll();
        }
    }

    // Inserts `value` between two neighbours (null: the list's end on that side).
    POSITION Link(Node* previous, Node* next, Arg value) {
        Node* const node = NewNode(previous, next);
        try {
            Elements::Assign(node->element, value);
        } catch (...) {
            FreeNode(node);  // assigning a locked string may fail; leave the list as it was
            throw;
        }
        (previous != nullptr ? previous->pNextNode : m_head) = node;
        (next != nullptr ? next->pPrevNode : m_tail) = node;
        return ToPosition(node);
    }

    POSITION AddHead(Arg value) { return Link(nullptr, m_head, value); }
    POSITION AddTail(Arg value) { return Link(m_tail, nullptr, value); }

    POSITION InsertBefore(POSITION position, Arg value) {
        Node* const old = ToNode(position);
        return old == nullptr ? AddHead(value) : Link(old->pPrevNode, old, value);
    }

    POSITION InsertAfter(POSITION position, Arg value) {
        Node* const old = ToNode(position);
        return old == nullptr ? AddTail(value) : Link(old, old->pNextNode, value);
    }

    // Puts the elements of another list, in their order, in front of the head.
    void AddHeadAll(Node const* otherTail) {
        for (Node const* node = otherTail; node != nullptr; node = node->pPrevNode) {
            AddHead(node->element);
        }
    }

    // Puts the elements of another list, in their order, after the tail.
    void AddTailAll(Node const* otherHead) {
        for (Node const* node = otherHead; node != nullptr; node = node->pNextNode) {
            AddTail(node->element);
        }
    }

    void RemoveAt(POSITION position) {
        VELQON_CHECK(position != nullptr, "%s::RemoveAt: null position", m_class.Get());
        Node* const old = ToNode(position);
        (old == m_head ? m_head : old->pPrevNode->pNextNode) = old->pNextNode;
        (old == m_tail ? m_tail : old->pNextNode->pPrevNode) = old->pPrevNode;
        FreeNode(old);
    }

    // The element is copied before its node is unlinked and freed.
    T RemoveHead() {
        VELQON_CHECK(m_head != nullptr, "%s::RemoveHead: list is empty", m_class.Get());
        T result(m_head->element);
        RemoveAt(ToPosition(m_head));
        return result;
    }

    T RemoveTail() {
        VELQON_CHECK(m_tail != nullptr, "%s::RemoveTail: list is empty", m_class.Get());
        T result(m_tail->element);
        RemoveAt(ToPosition(m_tail));
        return result;
    }

    void RemoveAll() {
        if (Elements::kNeedsDestruction) {
            // Spare nodes hold nothing: their elements were destroyed when they were freed.
            for (Node* node = m_head; node != nullptr; node = node->pNextNode) {
                Elements::Destroy(&node->element, 1);
            }
        }
        m_count = 0;
        m_spare = m_tail = m_head = nullptr;
        ReleaseBlocks(m_blocks);
    }

private:
    Node*& m_head;
    Node*& m_tail;
    int& m_count;
    Node*& m_spare;
    CPlex*& m_blocks;
    int& m_nodesPerBlock;
    [[no_unique_address]] velqon_internal::CheckedOnly<char const*> m_class;
};

}  // namespace velqon_internal

// The engine type of the list whose member is being defined, and the engine bound to its fields.
#define VELQON_LIST_ENGINE_TYPE(Elements) velqon_internal::ListEngine<CNode, Elements>
#define VELQON_LIST_ENGINE(X, Elements) \
    VELQON_LIST_ENGINE_TYPE(Elements)   \
    (#X, m_pHeadNode, m_pTailNode, m_nNodeCount, m_pSpareNodes, m_pNodeBlocks, m_nNodesPerBlock)

// Defines the members every list class X shares, each a forward to the engine. FindArg is the
// type Find compares elements with.
// NOLINTBEGIN(bugprone-macro-parentheses): X names the class in declarations (X::X(), X* other),
// where parentheses are not allowed.
#define VELQON_DEFINE_LIST_MEMBERS(X, Elements, FindArg)                                     \
    X::X(int nodesPerBlock)                                                                  \
        : m_pHeadNode(nullptr),                                                              \
          m_pTailNode(nullptr),                                                              \
          m_nNodeCount(0),                                                                   \
          m_pSpareNodes(nullptr),                                                            \
          m_pNodeBlocks(nullptr),                                                            \
          m_nNodesPerBlock(nodesPerBlock) {                                                  \
        VELQON_CHECK(nodesPerBlock >= 1, #X "::" #X ": nodes per block %d below 1",          \
                     nodesPerBlock);                                                         \
    }                                                                                        \
    X::~X() {                                                                                \
        RemoveAll();                                                                         \
    }                                                                                        \
    POSITION X::GetHeadPosition() const {                                                    \
        return reinterpret_cast<POSITION>(m_pHeadNode);                                      \
    }                                                                                        \
    POSITION X::GetTailPosition() const {                                                    \
        return reinterpret_cast<POSITION>(m_pTailNode);                                      \
    }                                                                                        \
    Elements::Element& X::GetNext(POSITION& position) {                                      \
        return VELQON_LIST_ENGINE_TYPE(Elements)::Step(#X "::GetNext", position,             \
                                                       &CNode::pNextNode);                   \
    }                                                                                        \
    Elements::Element& X::GetPrev(POSITION& position) {                                      \
        return VELQON_LIST_ENGINE_TYPE(Elements)::Step(#X "::GetPrev", position,             \
                                                       &CNode::pPrevNode);                   \
    }                                                                                        \
    POSITION X::AddHead(Elements::Arg value) {                                               \
        return VELQON_LIST_ENGINE(X, Elements).AddHead(value);                               \
    }                                                                                        \
    POSITION X::AddTail(Elements::Arg value) {                                               \
        return VELQON_LIST_ENGINE(X, Elements).AddTail(value);                               \
    }                                                                                        \
    void X::AddHead(X* other) {                                                              \
        VELQON_CHECK(other != this, #X "::AddHead: list passed to itself");                  \
        VELQON_LIST_ENGINE(X, Elements).AddHeadAll(other->m_pTailNode);                      \
    }                                                                                        \
    void X::AddTail(X* other) {                                                              \
        VELQON_CHECK(other != this, #X "::AddTail: list passed to itself");                  \
        VELQON_LIST_ENGINE(X, Elements).AddTailAll(other->m_pHeadNode);                      \
    }                                                                                        \
    POSITION X::InsertBefore(POSITION position, Elements::Arg value) {                       \
        return VELQON_LIST_ENGINE(X, Elements).InsertBefore(position, value);                \
    }                                                                                        \
    POSITION X::InsertAfter(POSITION position, Elements::Arg value) {                        \
        return VELQON_LIST_ENGINE(X, Elements).InsertAfter(position, value);                 \
    }                                                                                        \
    Elements::Element X::RemoveHead() {                                                      \
        return VELQON_LIST_ENGINE(X, Elements).RemoveHead();                                 \
    }                                                                                        \
    Elements::Element X::RemoveTail() {                                                      \
        return VELQON_LIST_ENGINE(X, Elements).RemoveTail();                                 \
    }                                                                                        \
    void X::RemoveAt(POSITION position) {                                                    \
        VELQON_LIST_ENGINE(X, Elements).RemoveAt(position);                                  \
    }                                                                                        \
    void X::RemoveAll() {                                                                    \
        VELQON_LIST_ENGINE(X, Elements).RemoveAll();                                         \
    }                                                                                        \
    POSITION X::FindIndex(int index) const {                                                 \
        return reinterpret_cast<POSITION>(                                                   \
            VELQON_LIST_ENGINE_TYPE(Elements)::FindIndex(m_pHeadNode, m_nNodeCount, index)); \
    }                                                                                        \
    POSITION X::Find(FindArg value, POSITION startAfter) const {                             \
        return reinterpret_cast<POSITION>(VELQON_LIST_ENGINE_TYPE(Elements)::Find(           \
            m_pHeadNode, reinterpret_cast<CNode*>(startAfter), value));                      \
    }                                                                                        \
    X::CNode* X::NewNode(CNode* previous, CNode* next) {                                     \
        return VELQON_LIST_ENGINE(X, Elements).NewNode(previous, next);                      \
    }                                                                                        \
    void X::FreeNode(CNode* node) {                                                          \
        VELQON_LIST_ENGINE(X, Elements).FreeNode(node);                                      \
    }
// NOLINTEND(bugprone-macro-parentheses)

#endif  // VELQON_COLLECTIONS_LIST_ENGINE_H
