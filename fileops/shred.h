// Shred (IDC_SHRED): overwrite the named file with the pattern "ZOK " to a whole number of
// 4096-byte blocks, push that to the disk, cut the file to zero and delete it.
#pragma once

// Shred pressed: clears the log, disables the action buttons and starts
// OperationWorker(IDC_SHRED). Needs no password and asks nothing.
void StartShredRun();
// The branch of OperationWorker for IDC_SHRED. Ends its thread.
[[noreturn]] void ShredWorker();
