// optdb_compare: an exported no-op kept so that programs linked against the legacy library
// still resolve it.
#include "velqontools.h"

int optdb_compare() {
    return 0;
}
