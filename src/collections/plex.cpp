// CPlex: chains of raw blocks from which the lists and maps carve their nodes.
//
// This file is compiled with -fno-delete-null-pointer-checks: FreeDataChain promises to do
// nothing when it is reached through a null chain pointer, and without that flag the compiler
// may assume `this` is never null and drop the test.
#include "VelqonMfcContainers.h"

CPlex* CPlex::Create(CPlex*& chain, unsigned int count, unsigned int elementSize) {
    // The data size is the product of two unsigned 32-bit parameters and wraps at 32 bits; the
    // header is then added in full pointer width.
    unsigned int const dataBytes = count * elementSize;
    CPlex* const block = static_cast<CPlex*>(::operator new[](sizeof(CPlex) + dataBytes));
    block->pNextBlock = chain;
    chain = block;
    return block;
}

void* CPlex::data() {
    return this + 1;
}

void CPlex::FreeDataChain() {
    CPlex* block = this;
    while (block != nullptr) {
        CPlex* const older = block->pNextBlock;
        ::operator delete[](block);
        block = older;
    }
}
