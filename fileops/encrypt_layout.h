// Where an encryption keeps the file in its run buffer. The plain file is read 16 bytes in,
// to an aligned address: on some machines the kernel copies into an address that is not
// 16-byte aligned at half the speed or less. The forward pass writes the body 4 bytes lower,
// right after the 12-byte header at the buffer's start, so the container is written from the
// page-aligned start as well.
#pragma once
#include <cstdint>

#include "core/container.h"

constexpr uint32_t kPlainReadOffset = 16;
constexpr uint32_t kBodyShift = kPlainReadOffset - kContainerHeaderSize;
