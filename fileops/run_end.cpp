#include "fileops/run_end.h"

#include "fileops/app_state.h"
#include "ui/feedback.h"

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
