// Encrypt (IDC_ENCRYPT) or Decrypt (IDC_DECRYPT) pressed: on the user-interface thread, checks
// the entries, takes the digests, opens and sizes the source and obtains the buffer; only then
// disables the action buttons and runs OperationWorker(command) on `thread`. A failure here
// shows its error and leaves the buttons enabled, with nothing open.
#pragma once
#include <cstdint>

#include "fileops/run_end.h"

void PrepareCipherRun(uint32_t command, RunThread thread);

// Both digests of a password pair as the dialog's fields hold it: each entry cut to 129 units,
// the two equal and not empty; false otherwise, with the digests unchanged. The password area
// is the scratch, wiped either way. What check and recover take their digests by.
bool DigestsOfEntries(const char16_t* password, const char16_t* confirmation, uint32_t* check,
                      uint32_t* key);
