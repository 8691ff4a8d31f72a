// The run buffer and the size limits of a run.
//
// Encryption. The allocation is the file size + kPlainReadOffset, rounded up to 4096 bytes, and
// arrives zero-filled. The file is read one cache line in, to an address aligned for every copy
// width (on some machines the kernel copies into an address that is not 16-byte, on others not
// 32-byte, aligned at half the speed or less). The forward pass writes each body word
// kBodyShift bytes lower, so header and body form the container from the buffer's start:
//
//   0        12                          64                        64 + S      allocationSize
//   | header |  body, word by word  ...   |  plain file (S bytes)  |  zeros  ...  |
//   |<------------- container: 12 + N --------------->|
//                                        |<------- EncryptRoom(): from the plain bytes on ->|
//
// Decryption. The allocation is the container's size F, rounded up; the container is read to
// the start and the body decrypted in place, so the plain file is the first S bytes after the
// header:
//
//   0        12                                   F                allocationSize
//   | header |  body (M bytes), then plain S bytes  |  zeros  ...      |
//
// EncryptRoom tells the encryption how far the buffer reaches: the word after the last is read
// from it only when the room reaches past that word, and taken as zero otherwise. Decryption
// always takes that word as zero.
#pragma once
#include <cstdint>

#include "core/container.h"
#include "fileops/app_state.h"

constexpr uint32_t kPlainReadOffset = 64;
constexpr uint32_t kBodyShift = kPlainReadOffset - kContainerHeaderSize;

// The transforms use 32-bit sizes and the stored size is a 32-bit field; files of 2^31 bytes or
// more are refused before anything is allocated or written. This is also the largest container
// decryption accepts.
constexpr uint64_t kLargestFile = (uint64_t{1} << 31) - 1;
// The largest source whose container still fits kLargestFile: anything larger would be
// encrypted into a file that can never be decrypted again.
constexpr uint64_t kLargestPlainFile = (kLargestFile - kContainerHeaderSize) & ~uint64_t{3};
static_assert(kContainerHeaderSize + BodySizeFor(kLargestPlainFile) <= kLargestFile);
static_assert(kContainerHeaderSize + BodySizeFor(kLargestPlainFile + 1) > kLargestFile);

// Bytes from the plain file's first byte to the end of an encryption's buffer.
inline uint32_t EncryptRoom() {
    return g_app.allocationSize - kPlainReadOffset;
}
