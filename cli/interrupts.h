// How the program ends: by an interrupt, held during a save, or at once. Implemented by
// interrupts_posix.cpp and interrupts_win32.cpp.
#pragma once
#include <string_view>

// From now on an interrupt, a termination, a hang-up or a quit (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT; on Windows Ctrl-C, Ctrl-Break and closing the console) ends the program at once,
// except during a save, which is finished first. The exit status is 128 + the signal's number
// (cli/ending_signals.h).
void EndOnInterrupts();
// During a walk, the line printed before an interrupt ends the program (the walk's summary so
// far, line end included); empty for none. Replaced after each file. While a note is set, an
// end held for a save is not carried out at the save's end: PendingEnd gives its exit status
// (0: none), and the walk ends through EndAsInterrupted once the file under way is done.
void SetEndingNote(std::u16string_view note);
int PendingEnd();
// Ends the program as the interrupt whose exit status is `status` asks (on POSIX by the signal
// itself, status - kExitSignalBase, so that a shell sees the same status).
[[noreturn]] void EndAsInterrupted(int status);
// Ends the process at once.
[[noreturn]] void ExitNow(int status);

// For the twins, from interrupts.cpp: the note set (UTF-8; empty for none), read also from a
// signal handler; and the held-end routine (fileops/save_guard.h), given the exit status. A walk
// (which has a note) keeps that status for PendingEnd, to end after the file under way with its
// summary; otherwise the program ends now, through EndAsInterrupted.
std::string_view EndingNote();
void EndAfterSave(int status);
