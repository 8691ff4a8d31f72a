// `check` and `recover`: what a file is for a password, and what an in-place save cut short left
// given back into a separate file. The front end reads the password and parses the command line;
// this part reads each FILE whole (read-only), classifies it (core/recovery.h) and writes a
// restored file the way a separate output is written. It prints through the console.
#pragma once
#include <string>
#include <string_view>
#include <vector>

struct RecoveryRequest {
    bool recover = false;                    // recover, or check
    std::vector<std::u16string> files;       // check: one or more; recover: exactly one
    const std::u16string* output = nullptr;  // recover -o OUT, as named
    bool replace = false;                    // recover: an existing OUT may be replaced (--yes)
    bool quiet = false;                      // recover: only errors and what stays unknown
};

// Runs check or recover; returns the exit status (of the first failure, for several FILEs).
int RunRecovery(const RecoveryRequest& request);
