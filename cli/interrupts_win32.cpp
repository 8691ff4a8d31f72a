// Ctrl-C, Ctrl-Break and closing the console end the program with a non-zero status (the
// default handler would exit with 0 under Wine), but a save under way is finished first.
#include <windows.h>

#include <string>

#include "cli/ending_signals.h"
#include "cli/exit_status.h"
#include "cli/interrupts.h"
#include "cli/terminal.h"
#include "fileops/save_guard.h"
#include "fileops/utf.h"

namespace {

constexpr int kInterrupted = kExitSignalBase + SIGINT;    // as the native program reports it
constexpr int kHungUp = kExitSignalBase + kSignalHangUp;  // the console went away

// Runs on a thread of its own. During a save it waits there for the save's end, which ends the
// process; returning would let the system end it at once for the close, log-off and shut-down
// events.
BOOL WINAPI OnConsoleControl(DWORD event) {
    const int status = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? kInterrupted : kHungUp;
    if (HoldEndUntilSaved(status)) {
        for (;;) Sleep(INFINITE);
    }
    std::u16string note;  // the walk's summary, which is always UTF-8
    if (Utf8ToUtf16(EndingNote(), &note))
        WriteStderr(note);
    ExitNow(status);
}

}  // namespace

void EndOnInterrupts() {
    SetHeldEndRoutine(EndAfterSave);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void EndAsInterrupted(int status) {
    ExitNow(status);
}

void ExitNow(int status) {
    ExitProcess(static_cast<UINT>(status));
}
