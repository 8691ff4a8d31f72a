// Where a run goes on once it is prepared, and how it ends; shared by the cipher and the shred
// runs.
#pragma once

#include "fileops/threads.h"
#include "ui/messages.h"

// The window's runs go on a worker thread of their own, so that the window keeps serving its
// messages. The command line's press waits for the run anyway, and for a walk of many small
// files a thread for each costs more than the file's work: its runs go on the calling thread.
enum class RunThread : uint8_t { kWorker, kCaller };

// Runs `routine` on the calling thread, or starts it on a thread of its own; false when that
// thread could not start.
bool RunOn(RunThread thread, ThreadRoutine routine, uintptr_t argument);

// Re-enables the action buttons: the run is over, and its worker returns without a message.
void EndRun();
// Releases the buffer and the file and shows the error. The run goes on: the caller ends it.
void ReportFailure(MessageId message);
// ReportFailure, then EndRun.
void FailRun(MessageId message);
