// A file read whole for a look that changes nothing: the command line's check and recover, the
// words on a decryption it refused, and its walk's look at a file larger than its glance.
// Opened for reading only; the bytes start a zero-filled buffer of whole pages; a file larger
// than a decryption takes (kLargestFile) is refused.
#pragma once
#include <cstdint>

#include "fileops/file_open.h"
#include "ui/messages.h"

struct WholeFile {
    FileHandle handle = 0;
    uint8_t* buffer = nullptr;  // null for an empty file
    uint32_t length = 0;
};

// Opens and reads the file at `nativePath`; false with `*failure` the message that names why
// (the system's reason noted where there is one). The caller releases `file` either way.
bool LoadWholeFile(const char16_t* nativePath, WholeFile* file, MessageId* failure);
// Closes the file and frees its buffer, whichever exist.
void ReleaseWholeFile(WholeFile* file);
