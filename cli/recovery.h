// `check` and `recover`: what a file is for a password, and what an in-place save cut short left
// given back into a separate file. The front end reads the password and parses the command line;
// this part takes the digests, loads each FILE whole, classifies it (core/recovery.h) and saves
// a restored file as every separate output is saved. It prints through the console.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RecoveryRequest {
    bool recover = false;                    // recover, or check
    std::vector<std::u16string> files;       // check: one or more; recover: exactly one
    const std::u16string* output = nullptr;  // recover -o OUT, as named
    bool replace = false;                    // recover: an existing OUT may be replaced (--yes)
    bool quiet = false;                      // recover: only errors and what stays unknown
    const char16_t* password = u"";          // the two entries, as typed
    const char16_t* confirmation = u"";
};

// Runs check or recover; returns the exit status (of the first failure, for several FILEs).
int RunRecovery(const RecoveryRequest& request);

// After decrypt refused the file at `fullPath`: whether check would call it a wreck that
// recover restores, for the password with these digests.
bool IsRecoverableWreck(const std::u16string& fullPath, uint32_t checkDigest, uint32_t keyDigest);
