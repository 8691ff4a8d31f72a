// `check` and `recover`: what a file is for a password, and what an in-place save cut short left
// given back into a separate file. The front end reads the password and parses the command line;
// this part takes the digests, loads each FILE whole, classifies it (core/recovery.h) and saves
// a restored file as every separate output is saved. It prints through the console.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/recovery.h"
#include "ui/messages.h"

// Runs check or recover on the FILEs of g_cli (recover: exactly one) with the two entries as
// typed; recover writes to --output or beside the file, replaces an existing output only with
// --yes and says only errors and what stays unknown with --quiet. Returns the exit status (of the
// first failure, for several FILEs).
int RunRecovery();

// check's words on the wreck at `full` (a full path) that decrypt refused, for its message; empty
// when the file cannot be read again.
std::u16string WreckVerdict(const std::u16string& full, uint32_t checkDigest, uint32_t keyDigest);

// The file at `full` read whole and analysed, `*size` (when given) its length: for check, for a
// walk's look before encrypt or decrypt would run on it and for decrypt's words on a wreck.
// False, with nothing printed, the reason noted and `*failure` (when given) the message that names
// it, when it cannot be read: a run that follows tells its own failure.
bool AnalyseWholeFile(const std::u16string& full, uint32_t checkDigest, uint32_t keyDigest,
                      FileAnalysis* analysis, uint64_t* size = nullptr,
                      MessageId* failure = nullptr);

// check on one file of a walk (-r): `name` names it (as the walk carries it), `full` opens it. A
// file that is not a container of this password, nor what one of its saves left, is skipped with a
// line saying so (*skipped); the verdict on a sound container is left out with --quiet. By the
// digests in g_cli; returns the file's exit status, *size its length once read.
int CheckWalkedFile(const std::u16string& name, const std::u16string& full, bool* skipped,
                    uint64_t* size);
