// A separate output, whole or not at all: created under an unfinished name beside the output's,
// reserved, written and flushed, then renamed onto the output's name. All of it within one save
// (fileops/save_guard.h), so that the unfinished name exists only while an end request is held;
// a failure removes the unfinished file through its handle before the save ends. Used by the
// worker's separate runs and by recover.
#pragma once
#include <cstdint>

#include "fileops/file_data.h"

// Any 32-bit value that changes from one call to the next: the processor's time-stamp counter
// where there is one. The salt of an encryption and the tag of an unfinished name.
uint32_t ReadTimeStampCounter();

// What the output takes from `model` besides the bytes, once it is complete and before it takes
// its name.
struct SaveKeeps {
    const FileFacts* facts = nullptr;  // the source's, read before its bytes: its dates
    bool ownerAndMode = false;         // and its owner and permission bits, or the save fails
};

// Saves `size` bytes at `data` as the file `nativeOutput`, replacing a file there only when
// `replace`. The unfinished file has no more permission than `model` (POSIX), and its name is
// written to `unfinished` (kUnfinishedCapacity units), which the caller keeps. Dates that could
// not be set do not fail the save: `*datesKept`, when given, tells whether they were.
bool SaveSeparately(const char16_t* nativeOutput, FileHandle model, const uint8_t* data,
                    uint32_t size, bool replace, char16_t* unfinished, const SaveKeeps& keeps = {},
                    bool* datesKept = nullptr);
