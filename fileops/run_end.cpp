#include "fileops/run_end.h"

#include "fileops/app_state.h"
#include "ui/feedback.h"

namespace {
RunOutcome g_outcome;
}  // namespace

RunOutcome& CurrentOutcome() {
    return g_outcome;
}

void BeginOutcome() {
    g_outcome = RunOutcome();
}

void RunOn(RunThread thread, ThreadRoutine routine, uintptr_t argument) {
    SetActionButtonsEnabled(false);
    if (thread == RunThread::kCaller)
        routine(argument);
    else if (!StartThread(routine, argument))
        FailRun(MessageId::kThreadFailed);
}

void EndRun() {
    SetActionButtonsEnabled(true);
}

void ReportFailure(MessageId message, const char16_t* detail) {
    ReleaseRunResources();
    if (g_outcome.failure == MessageId::kDone)
        g_outcome.failure = message;
    ShowError(message, detail);
}

void FailRun(MessageId message) {
    ReportFailure(message);
    EndRun();
}
