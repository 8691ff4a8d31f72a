// One press of Encrypt, Decrypt or Shred asked for by a caller other than the window, and what
// it came to. The request fills the dialog's fields as a user would, the press runs on the
// caller's thread, and the outcome is what the run recorded (fileops/run_end.h).
#pragma once
#include <cstdint>

#include "fileops/run_end.h"

struct RunRequest {
    uint32_t command = 0;            // IDC_ENCRYPT, IDC_DECRYPT or IDC_SHRED
    const char16_t* path = nullptr;  // full, shorter than kPathCapacity units
    bool inPlace = false;
    const char16_t* output = nullptr;  // a separate output's full path; null: the derived name
    const char16_t* password = u"";    // the two entries as typed (shred takes none)
    const char16_t* confirmation = u"";
};

// Runs the request to its end and returns its outcome. The password fields are empty again
// afterwards.
RunOutcome RunPress(const RunRequest& request);

// The output the running request names, or null (the window's runs, and requests without one).
const char16_t* RequestedOutput();
