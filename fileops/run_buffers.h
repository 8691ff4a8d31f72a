// System access, memory: the run's buffers.
#pragma once
#include <cstdint>

// Rounds *size up to a multiple of 4096 in place and returns zero-filled memory; a zero size is
// refused. A failed allocation leaves the base null. The caller frees the block with FreeBuffer.
bool AllocateBuffer(uint32_t* size, uint8_t** base);
void FreeBuffer(uint8_t* base);  // null: nothing
