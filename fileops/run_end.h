// How a worker ends its run, shared by the cipher and the shred workers.
#pragma once

#include "ui/messages.h"

// Re-enables the action buttons and ends the calling thread, without a message.
[[noreturn]] void EndRun();
// Releases the buffer and the file and shows the error. The thread goes on: the caller ends the
// run.
void ReportFailure(MessageId message);
// ReportFailure, then EndRun.
[[noreturn]] void FailRun(MessageId message);
