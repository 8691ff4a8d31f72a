// Limits shared by the runs.
#pragma once
#include <cstdint>

// Sizes are 32-bit and compared as signed values in the transforms: larger files are refused
// before anything is allocated or written.
constexpr uint64_t kLargestFile = (uint64_t{1} << 31) - 1;
