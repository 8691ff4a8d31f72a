// The one wipe of secrets and of the buffers that held them: passwords, their digests' inputs,
// heap blocks given back. A plain memset of memory that nothing reads again is a dead store the
// compiler may drop; this one it cannot.
#pragma once
#include <cstddef>

void WipeBytes(void* bytes, size_t size);
