// The worker thread of an encryption or decryption run.
#pragma once
#include <cstdint>

// Thread body of a cipher run: IDC_ENCRYPT encrypts, IDC_DECRYPT decrypts. Re-enables the
// action buttons and ends its thread on every way out (fileops/run_end.h).
void OperationWorker(uintptr_t command);
