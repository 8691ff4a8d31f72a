// `check` and `recover`: what a file is for a password, and what an in-place save cut short left
// given back into a separate file. The front end reads the password and parses the command line;
// this part takes the digests, loads each FILE whole, classifies it (core/recovery.h) and saves
// a restored file as every separate output is saved. It prints through the console.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/recovery.h"

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

// check's words on the wreck at `full` (a full path) that decrypt refused, for its message; empty
// when the file cannot be read again.
std::u16string WreckVerdict(const std::u16string& full, uint32_t checkDigest, uint32_t keyDigest);

// The command that restores the wreck `name` into a separate file, as messages show it.
std::u16string RecoverCommand(std::u16string_view name);

// The file at `full` read whole and analysed, for a walk's look before encrypt or decrypt would
// run on it and for decrypt's words on a wreck. False, with nothing printed and the reason noted,
// when it cannot be read: the run that follows tells its failure.
bool AnalyseWholeFile(const std::u16string& full, uint32_t checkDigest, uint32_t keyDigest,
                      FileAnalysis* analysis);
// Names the file `name` as check does, with what restores it, when `analysis` shows what an
// interrupted save left (IsNamedWreck); false for anything else.
bool NameWalkedWreck(const std::u16string& name, const FileAnalysis& analysis);

// check on one file of a walk (-r): `name` names it (as the walk carries it), `full` opens it. A
// file that is not a container of this password, nor what one of its saves left, is skipped with a
// line saying so (*skipped); the verdict on a sound container is left out with `quiet`. Returns
// the file's exit status; *size is its length once read.
int CheckWalkedFile(const std::u16string& name, const std::u16string& full, uint32_t checkDigest,
                    uint32_t keyDigest, bool quiet, bool* skipped, uint64_t* size);
