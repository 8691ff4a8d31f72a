// System access, a file's bytes and facts through its open handle: size, reads, writes, length,
// dates, owner and mode, and the flush. A failure notes the system's reason (system_reason.h).
#pragma once
#include <cstdint>

#include "fileops/file_open.h"

// The 64-bit end of file. Callers refuse files of 2^31 bytes or more.
bool QueryFileSize(FileHandle file, uint64_t* endOfFile);
// Reads exactly `size` bytes from offset 0; a short read fails.
bool ReadWhole(FileHandle file, uint8_t* buffer, uint32_t size);
// Writes exactly `size` bytes at `offset`; a short write fails. `*reached`, when given, is set
// to how many of the bytes may be in the file: all of them on success, and after a failure 0
// only when surely none is (a write cut short leaves the bytes before the cut).
bool WriteAt(FileHandle file, uint32_t offset, const uint8_t* data, uint32_t size,
             uint32_t* reached = nullptr);
inline bool WriteFromStart(FileHandle file, const uint8_t* data, uint32_t size,
                           uint32_t* reached = nullptr) {
    return WriteAt(file, 0, data, size, reached);
}
// Truncates or extends to exactly `length` bytes.
bool SetFileLength(FileHandle file, uint32_t length);
// What a save carries over from a source to its result, read before the source's bytes. The
// dates are in the backend's own units (POSIX: nanoseconds since 1970; Windows: 100 ns since
// 1601), the owner, group and mode POSIX's (0 on Windows); callers only hand them back.
struct FileFacts {
    int64_t accessed = 0;
    int64_t modified = 0;
    uint32_t names = 1;  // hard links: more than one means other names share the bytes
    uint32_t owner = 0;
    uint32_t group = 0;
    uint32_t mode = 0;  // the permission bits
};
bool QueryFileFacts(FileHandle file, FileFacts* facts);
// Gives the file the access and modification dates of `facts`, as the last change through this
// handle: nothing written before the close moves them again.
bool SetFileDates(FileHandle file, const FileFacts& facts);
// Gives `file` (made by CreateOutput) the owner, group and permission bits of `facts`. Windows
// has no mode bits: there an output keeps the folder's inherited permissions, as every output.
bool TakeOwnerAndMode(const FileFacts& facts, FileHandle file);
// Pushes what was written through to the storage device.
bool FlushFile(FileHandle file);
