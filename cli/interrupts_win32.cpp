// Ctrl-C, Ctrl-Break and closing the console end the program with a non-zero status (the
// default handler would exit with 0 under Wine), but a save under way is finished first.
#include <windows.h>

#include "cli/ending_signals.h"
#include "cli/exit_status.h"
#include "cli/platform.h"
#include "fileops/save_guard.h"

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
    ExitNow(status);
}

}  // namespace

void EndOnInterrupts() {
    SetHeldEndRoutine(ExitNow);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}
