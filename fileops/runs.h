// The three runs that the action buttons start.
#pragma once
#include <cstdint>

constexpr uint32_t kCommandEncrypt = 9;
constexpr uint32_t kCommandDecrypt = 10;
constexpr uint32_t kCommandShred = 11;

// Encrypt (9) or Decrypt (10) pressed: on the user-interface thread, checks the entries, takes
// the digests, opens and sizes the source, obtains the buffer and starts OperationWorker.
void PrepareCipherRun(uint32_t command);
// Shred pressed: clears the log, disables the action buttons and starts OperationWorker(11).
void StartShredRun();
// Thread body of a run: 9 encrypts, 10 decrypts, 11 shreds. Re-enables the action buttons and
// ends its thread on every way out.
void OperationWorker(uintptr_t command);
