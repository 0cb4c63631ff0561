// The parent's program: uses the library through the subproject's target.
#include "VelqonMFC.h"

// The unused parameter warns under -Wextra: the parent's build must not make that an error.
static int Length(CPortableString const& text, int unused) {
    return text.GetLength();
}

int main() {
    CPortableString text("subproject");
    return Length(text, 0) == 10 ? 0 : 1;
}
