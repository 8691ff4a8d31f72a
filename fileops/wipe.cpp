#include "fileops/wipe.h"

#include <cstring>

void WipeBytes(void* bytes, size_t size) {
    if (size == 0)
        return;
    memset(bytes, 0, size);
    // The compiler must assume that this reads the bytes, so the stores above stay; the same
    // barrier as the C library's explicit_bzero, for both builds' compilers.
    __asm__ __volatile__("" : : "r"(bytes) : "memory");
}
