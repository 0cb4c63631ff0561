// optdb_compare: an exported no-op kept so that programs that call it still link and run.
#include "velqontools.h"

int optdb_compare() {
    return 0;
}
