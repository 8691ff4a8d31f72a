#include "fileops/run_end.h"

#include "fileops/app_state.h"
#include "fileops/file_access.h"
#include "ui/feedback.h"

void EndRun() {
    SetActionButtonsEnabled(true);
    EndCurrentThread();
}

void RemoveCreatedOutput() {
    if (!g_app.outputCreated)
        return;
    g_app.outputCreated = false;
    // Through the open handle, never by name: whatever else may have taken the name is spared.
    static_cast<void>(MarkForDeletion(g_app.fileHandle));
}

void ReportFailure(MessageId message) {
    RemoveCreatedOutput();
    ReleaseRunResources();
    ShowError(message);
}

void FailRun(MessageId message) {
    ReportFailure(message);
    EndRun();
}
