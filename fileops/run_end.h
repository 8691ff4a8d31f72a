// Where a run goes on once it is prepared, and how it ends; shared by the cipher and the shred
// runs.
#pragma once

#include "fileops/app_state.h"
#include "fileops/threads.h"
#include "ui/messages.h"

// The window's runs go on a worker thread of their own, so that the window keeps serving its
// messages. The command line's press waits for the run anyway, and for a walk of many small
// files a thread for each costs more than the file's work: its runs go on the calling thread.
enum class RunThread : uint8_t { kWorker, kCaller };

// Disables the action buttons and runs `routine` on the calling thread, or starts it on a thread
// of its own; a thread that could not start fails the run (kThreadFailed).
void RunOn(RunThread thread, ThreadRoutine routine, uintptr_t argument);

// What a run came to, recorded as it goes, for a caller that waits for the run
// (fileops/run_request.h). The window's runs record it too; the window reads none of it.
struct RunOutcome {
    bool done = false;                     // saved, or shredded
    MessageId failure = MessageId::kDone;  // the first error shown; kDone: none
    bool declined = false;                 // a No to replacing the output: nothing written
    bool partlyWritten = false;            // a save in place failed after its first byte: a wreck
    bool notFlushed = false;  // only its last flush failed: the file holds the whole result
    uint32_t bytesAfterContainer = 0;     // a decryption: bytes after the container, left out
    char16_t output[kPathCapacity] = {};  // the separate output's full path, once saved
};

// The outcome of the run going on or last ended; reset by BeginOutcome.
RunOutcome& CurrentOutcome();
void BeginOutcome();

// Re-enables the action buttons: the run is over, and its worker returns without a message.
void EndRun();
// Releases the buffer and the file and shows the error (a `detail` on a line of its own). The
// run goes on: the caller ends it.
void ReportFailure(MessageId message, const char16_t* detail = nullptr);
// ReportFailure, then EndRun.
void FailRun(MessageId message);
