// Ctrl-C, Ctrl-Break and closing the console end the program with a non-zero status (the
// default handler would exit with 0 under Wine), but a save under way is finished first.
#include <windows.h>

#include <atomic>
#include <string>

#include "cli/ending_signals.h"
#include "cli/exit_status.h"
#include "cli/interrupts.h"
#include "cli/terminal.h"
#include "fileops/save_guard.h"

namespace {

// Two buffers for the note, so that the handler never reads the one being written.
std::u16string g_notes[2];
std::atomic<int> g_noteShown{-1};

void WriteEndingNote() {
    const int shown = g_noteShown.load();
    if (shown >= 0)
        WriteStderr(g_notes[shown]);
}

std::atomic<int> g_pendingEnd{0};

// The held end, after the save. A walk (which has a note) ends after the file under way, with
// its summary; otherwise the program ends now.
void EndAfterSave(int status) {
    if (g_noteShown.load() >= 0) {
        g_pendingEnd.store(status);
        return;
    }
    ExitNow(status);
}

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
    WriteEndingNote();
    ExitNow(status);
}

}  // namespace

void EndOnInterrupts() {
    SetHeldEndRoutine(EndAfterSave);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void SetEndingNote(std::u16string_view note) {
    const int next = g_noteShown.load() == 0 ? 1 : 0;
    g_noteShown.store(-1);
    g_notes[next] = note;
    g_noteShown.store(note.empty() ? -1 : next);
}

int PendingEnd() {
    return g_pendingEnd.load();
}

void EndAsInterrupted(int status) {
    ExitNow(status);
}

void ExitNow(int status) {
    ExitProcess(static_cast<UINT>(status));
}
