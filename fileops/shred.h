// Shred (IDC_SHRED): overwrite the named file with the pattern "ZOK " to a whole number of
// 4096-byte blocks, push that to the disk, cut the file to zero and delete it.
#pragma once

#include <cstdint>

// Shred pressed: clears the log, disables the action buttons and starts ShredWorker. Needs no
// password and asks nothing.
void StartShredRun();
// Thread body of a shred run. Ends its thread on every way out (fileops/run_end.h).
[[noreturn]] void ShredWorker(uintptr_t unused);
