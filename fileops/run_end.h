// Ways a worker ends its run. Each re-enables the action buttons and ends the calling thread.
#pragma once
#include <cstdint>

#include "ui/messages.h"

// Ends the run without a message.
[[noreturn]] void EndRun();
// Releases the buffer and the file, removes an output file this run created and shows the
// error.
void ReportFailure(MessageId message);
// ReportFailure, then ends the run.
[[noreturn]] void FailRun(MessageId message);
// Removes the output file when this run created it; a file that existed before is left alone.
void RemoveCreatedOutput();

// The branch of OperationWorker for command 11.
[[noreturn]] void ShredWorker();
