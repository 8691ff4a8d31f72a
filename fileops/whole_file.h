// A file read whole into a zero-filled buffer of whole pages. The command line's check and
// recover, the words on a decryption it refused and its walk's look at a file larger than its
// glance load it at once, read only; a cipher run opens, sizes and obtains the buffer while it is
// prepared, and its worker reads the bytes.
#pragma once
#include <cstdint>

#include "fileops/file_open.h"
#include "ui/messages.h"

struct WholeFile {
    FileHandle handle = 0;
    uint8_t* base = nullptr;    // the buffer; null when the file is empty and no room is asked for
    uint8_t* buffer = nullptr;  // where the file's bytes go: the room after base
    uint32_t length = 0;
    uint32_t allocation = 0;  // the buffer's size, whole pages
};

// What a file is opened for, which sets its open, its largest size and the buffer's room before
// its bytes (fileops/run_layout.h).
enum class WholeFileUse : uint8_t {
    kLook,     // read only, up to what a decryption takes (kLargestFile), no room
    kEncrypt,  // OpenSourceForCipher, up to kLargestPlainFile, kPlainReadOffset of room
    kDecrypt,  // OpenSourceForCipher, up to kLargestFile, no room
};

// Opens and sizes the file at `nativePath` and obtains its buffer, without reading it; false with
// `*failure` the message that names why (the system's reason noted where there is one). The
// caller releases what `file` holds either way.
bool OpenWholeFile(const char16_t* nativePath, WholeFileUse use, WholeFile* file,
                   MessageId* failure);
// OpenWholeFile for a look, then the bytes read; the system's reason is cleared first.
bool LoadWholeFile(const char16_t* nativePath, WholeFile* file, MessageId* failure);
// Closes the file and frees its buffer, whichever exist.
void ReleaseWholeFile(WholeFile* file);
