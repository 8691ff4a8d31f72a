// How a worker ends its run, shared by the cipher and the shred workers.
#pragma once

#include "ui/messages.h"

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
