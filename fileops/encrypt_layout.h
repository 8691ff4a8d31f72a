// Where an encryption keeps the file in its run buffer. The plain file is read one cache line
// in, to an address aligned for every copy width: on some machines the kernel copies into an
// address that is not 16-byte (on others 32-byte) aligned at half the speed or less. The
// forward pass writes the body kBodyShift bytes lower, right after the 12-byte header at the
// buffer's start, so the container is written from the page-aligned start as well.
#pragma once
#include <cstdint>

#include "core/container.h"

constexpr uint32_t kPlainReadOffset = 64;
constexpr uint32_t kBodyShift = kPlainReadOffset - kContainerHeaderSize;
