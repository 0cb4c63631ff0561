#include "VelqonMFC.h"
#include <stdio.h>
int main() { long n = 0; InterlockedIncrement(&n); printf("%ld\n", n); return 0; }
