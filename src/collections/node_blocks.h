// Node storage shared by the list and map engines: carving a CPlex block into spare nodes and
// freeing a whole chain.
#ifndef VELQON_COLLECTIONS_NODE_BLOCKS_H
#define VELQON_COLLECTIONS_NODE_BLOCKS_H

#include "VelqonMfcContainers.h"

namespace velqon_internal {

// Creates one block of `count` raw nodes on `blocks` and pushes its nodes on the spare chain
// `spare` (linked through the `link` field) from the last to the first, so that the chain hands
// the block out in ascending address order. On std::bad_alloc nothing has changed.
template <class Node>
void CarveBlock(CPlex*& blocks, int count, Node*& spare, Node* Node::*link) {
    CPlex* const block = CPlex::Create(blocks, static_cast<unsigned int>(count), sizeof(Node));
    Node* const nodes = static_cast<Node*>(block->data());
    for (int i = count - 1; i >= 0; --i) {
        nodes[i].*link = spare;
        spare = &nodes[i];
    }
}

// Frees every block of a chain and empties the chain variable; an empty chain is a no-op.
inline void ReleaseBlocks(CPlex*& blocks) {
    if (blocks != nullptr) {
        blocks->FreeDataChain();
        blocks = nullptr;
    }
}

}  // namespace velqon_internal

#endif  // VELQON_COLLECTIONS_NODE_BLOCKS_H
