// Portable_crc32: the standard CRC-32 (reflected polynomial 0xEDB88320, as in zlib and PNG).
//
// Three engines give identical results (crc32_paths.h): 512-bit folding where the processor
// and the operating system support AVX-512 with VPCLMULQDQ, 128-bit folding where the processor
// has PCLMULQDQ, and the byte-wise table everywhere else. The choice is made once, on the first
// call.
#include "VelqonThread.h"
#include "crc32_paths.h"

namespace {

velqon_internal::Crc32Function ChooseEngine() {
    if (velqon_internal::ProcessorHasVpclmul()) {
        return velqon_internal::Crc32Vpclmul;
    }
    if (velqon_internal::ProcessorHasClmul()) {
        return velqon_internal::Crc32Clmul;
    }
    return velqon_internal::Crc32Table;
}

}  // namespace

unsigned int Portable_crc32(char* data, unsigned int length) {
    if (length == 0) {
        return 0;
    }
    static velqon_internal::Crc32Function const engine = ChooseEngine();
    return engine(reinterpret_cast<unsigned char const*>(data), length);
}
