// What the command line's jobs share for one invocation: the options, the entries as typed and
// their digests, and the run that goes on. Each job is a file of its own: the dialog's hooks
// (dialog_hooks.cpp), the runs of single files (single_runs.cpp), the walk of -r
// (walk_driver.cpp) and the dispatch (front_end.cpp).
#pragma once
#include <cstdint>
#include <string>

#include "cli/options.h"
#include "cli/walk.h"
#include "fileops/run_request.h"

struct FrontEnd {
    Options options;
    bool askOnTerminal = false;  // a terminal takes the password and the overwrite answer
    // The entries as typed, wiped when the command ends; their digests once they agree.
    std::u16string password;
    std::u16string confirmation;
    uint32_t check = 0;
    uint32_t key = 0;
    uint32_t newCheck = 0;  // passwd: the new password's digests
    uint32_t newKey = 0;
    std::u16string output;    // --output made absolute, or empty
    std::u16string fileName;  // the file of the current run, as named on the command line
    std::u16string path;      // and its full path
};

extern FrontEnd g_cli;

// --- single_runs.cpp ---

// Starts the messages about `displayName`.
void BeginRun(std::u16string_view displayName);
// Whether the run writes a file of its own beside the source, or at --output.
bool WritesSeparateOutput();
// Whether the two entries agree, with their digests in g_cli; false says nothing.
bool TakeDigests();
// One run of the command on the file at `full` (or passwd on it), its outcome reported; returns
// its exit status.
int RunOnPath(const std::u16string& full);
// Whether a file of `size` bytes that starts with `header` (12 bytes, read as far as the file
// holds them) is a container that the password of `check` opens.
bool OpensWithThisPassword(const uint8_t* header, uint64_t size, uint32_t check);
// One FILE of the command line, alone.
int RunOneFile(const std::u16string& name);
// "-" or --output "-": the file read into memory, run there, and the result to standard output.
int RunFromMemory(const std::u16string& name);

// --- dialog_hooks.cpp ---

// The in-memory dialog reset, with the command line's hooks: notes and boxes printed, the
// overwrite question answered.
void InstallDialogHooks();

// --- walk_look.cpp ---

// Whether the reason of a failed look says that a walked entry changed since its listing.
bool ChangedSinceListed();
// What the file of `step` is now; `*size` its length.
FileLook LookBeforeRun(const WalkStep& step, uint64_t* size);
// Whether a separate output of the file at `full` lands in the same folder; `*output` is where
// it would go.
bool OutputStaysBeside(const std::u16string& full, std::u16string* output);

// Why the walk plan skips a step of `kind`, in the command line's words.
CliText WhySkipped(StepKind kind);

// --- walk_driver.cpp ---

// -r: every operand, folders walked, with the digests taken; returns the first failure's
// status.
int RunWalk(bool barDrawn);
