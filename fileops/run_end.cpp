#include "fileops/run_end.h"

#include "fileops/app_state.h"
#include "ui/feedback.h"

bool RunOn(RunThread thread, ThreadRoutine routine, uintptr_t argument) {
    if (thread == RunThread::kWorker)
        return StartThread(routine, argument);
    routine(argument);
    return true;
}

void EndRun() {
    SetActionButtonsEnabled(true);
}

void ReportFailure(MessageId message) {
    ReleaseRunResources();
    ShowError(message);
}

void FailRun(MessageId message) {
    ReportFailure(message);
    EndRun();
}
