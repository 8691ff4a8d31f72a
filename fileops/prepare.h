// Encrypt (IDC_ENCRYPT) or Decrypt (IDC_DECRYPT) pressed: on the user-interface thread, checks
// the entries, takes the digests, opens and sizes the source and obtains the buffer; only then
// disables the action buttons and starts OperationWorker(command). A failure here shows its
// error and leaves the buttons enabled, with nothing open.
#pragma once
#include <cstdint>

void PrepareCipherRun(uint32_t command);

// Reads the two password fields into the password area and, when they agree and are not empty,
// sets checkValue and keyValue from it; the area is wiped either way. False when they differ or
// are empty. Also what check and recover take their digests by.
bool TakePasswordDigests();
