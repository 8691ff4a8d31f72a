// The worker thread of an encryption or decryption run.
#pragma once
#include <cstdint>

// Body of a cipher run: IDC_ENCRYPT encrypts, IDC_DECRYPT decrypts. Re-enables the action
// buttons on every way out (fileops/run_end.h) and returns.
void OperationWorker(uintptr_t command);
