// Limits shared by the runs.
#pragma once
#include <cstdint>

#include "core/container.h"

// Sizes are 32-bit and compared as signed values in the transforms: larger files are refused
// before anything is allocated or written. This is also the largest container Decrypt accepts.
constexpr uint64_t kLargestFile = (uint64_t{1} << 31) - 1;
// The largest source whose container still fits kLargestFile: anything larger would be
// encrypted into a file that can never be decrypted again.
constexpr uint64_t kLargestPlainFile = (kLargestFile - kContainerHeaderSize) & ~uint64_t{3};
static_assert(kContainerHeaderSize + BodySizeFor(kLargestPlainFile) <= kLargestFile);
static_assert(kContainerHeaderSize + BodySizeFor(kLargestPlainFile + 1) > kLargestFile);
