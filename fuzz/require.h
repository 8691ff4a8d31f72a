// What the fuzz targets share: a check that counts a wrong result as a crash, naming the target
// and the cause, and the value that marks a buffer unit nothing was meant to write.
#pragma once
#include <cstdio>

// The target's name, as its messages give it; each target defines it.
extern const char kFuzzTarget[];

constexpr char16_t kUntouched = 0xBEEF;

inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "%s: %s\n", kFuzzTarget, what);
        __builtin_trap();
    }
}
