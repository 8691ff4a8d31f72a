// Shred (IDC_SHRED): overwrite the named file with the pattern "ZOK " to a whole number of
// 4096-byte blocks, push that to the disk, cut the file to zero and delete it.
#pragma once

#include <cstdint>

#include "fileops/run_end.h"

// Shred pressed: clears the log, disables the action buttons and runs ShredWorker on `thread`.
// Needs no password and asks nothing.
void StartShredRun(RunThread thread);
// Body of a shred run. Re-enables the action buttons on every way out (fileops/run_end.h).
void ShredWorker(uintptr_t unused);
