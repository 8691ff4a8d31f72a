// System access, naming: an output's rename onto its name and the removal of an unfinished file.
#pragma once
#include "fileops/file_open.h"

// Gives a file made by CreateOutput the name `nativePath` in the same folder, replacing a file
// of that name only when `replace`. POSIX flushes the folder, so the new name is on the disk
// when this returns true; NTFS logs the rename in its journal. The file is the user's from then
// on: its handle stays open only to be closed (POSIX refuses to mark it for deletion, as its
// recorded name is gone).
bool RenameOutput(FileHandle file, const char16_t* nativePath, bool replace);

// The file is removed when its handle is closed.
bool MarkForDeletion(FileHandle file);
