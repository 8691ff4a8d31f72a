// The worker thread of a run, and the ways a worker ends its run.
#pragma once
#include <cstdint>

#include "ui/messages.h"

// Thread body of a run: IDC_ENCRYPT encrypts, IDC_DECRYPT decrypts, IDC_SHRED shreds.
// Re-enables the action buttons and ends its thread on every way out.
void OperationWorker(uintptr_t command);

// Re-enables the action buttons and ends the calling thread, without a message.
[[noreturn]] void EndRun();
// Removes the unfinished output this run created, releases the buffer and the file and shows
// the error. The thread goes on: the caller ends the run.
void ReportFailure(MessageId message);
// ReportFailure, then EndRun.
[[noreturn]] void FailRun(MessageId message);
// Removes the unfinished output through its own handle when this run created it and it has not
// taken the output's name yet; anything else is left alone.
void RemoveCreatedOutput();
