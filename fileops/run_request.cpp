#include "fileops/run_request.h"

#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"

namespace {
const char16_t* g_requestedOutput = nullptr;
}  // namespace

const char16_t* RequestedOutput() {
    return g_requestedOutput;
}

RunOutcome RunPress(const RunRequest& request) {
    BeginOutcome();
    SetControlText(IDC_PATH, request.path);
    SetControlChecked(IDC_OVERWRITE_SOURCE, request.inPlace);
    g_requestedOutput = request.output;
    if (request.command == IDC_SHRED) {
        StartShredRun(RunThread::kCaller);
    } else {
        SetControlText(IDC_PASSWORD, request.password);
        SetControlText(IDC_CONFIRM, request.confirmation);
        PrepareCipherRun(request.command, RunThread::kCaller);
        SetControlText(IDC_PASSWORD, u"");
        SetControlText(IDC_CONFIRM, u"");
    }
    g_requestedOutput = nullptr;
    return CurrentOutcome();
}
