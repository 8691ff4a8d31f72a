// Shred (IDC_SHRED): overwrite the named file with the pattern "ZOK " to a whole number of
// 4096-byte blocks, push that to the disk, cut the file to zero and delete it.
#pragma once

#include "fileops/run_end.h"

// Shred pressed: clears the log, disables the action buttons and runs the shred on `thread`,
// which re-enables them on every way out (fileops/run_end.h). Needs no password and asks nothing.
void StartShredRun(RunThread thread);
