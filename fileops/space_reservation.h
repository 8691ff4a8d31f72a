// System access, the room a save needs: reserved on the disk before its first write.
#pragma once
#include <cstdint>

#include "fileops/file_open.h"

// Allocates the first `length` bytes of the file on the disk, holes included, so that writing
// them cannot fail for want of space, without changing what the file reads: its end of file does
// not move, and a reservation stopped at any moment leaves the file byte for byte as it was. A
// failed reservation gives back what it took. POSIX: a copy-on-write file system must have room
// for all `length` bytes, since an overwrite takes new blocks; where the file system cannot
// reserve past the end (ext2, FUSE ones), only the holes below the end are filled, by writing
// zero bytes over zero bytes, and the rest rests on the room check.
bool ReserveSpace(FileHandle file, uint32_t length);
