// SIGINT, SIGTERM, SIGHUP and SIGQUIT end the program as their default action would, so that a
// shell sees the signal, but a save under way is finished first. During a walk the walk's
// summary so far is printed first.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "cli/ending_signals.h"
#include "cli/exit_status.h"
#include "cli/interrupts.h"
#include "fileops/posix_io.h"
#include "fileops/save_guard.h"

namespace {

// Ends the process by `signalNumber` itself, also from inside its handler.
[[noreturn]] void DieBy(int signalNumber) {
    signal(signalNumber, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signalNumber);
    _exit(kExitSignalBase + signalNumber);  // not reached: the default action ends the process
}

void OnEndingSignal(int signalNumber) {
    if (!HoldEndUntilSaved(kExitSignalBase + signalNumber)) {
        const std::string_view note = EndingNote();
        static_cast<void>(WriteAll(STDERR_FILENO, note.data(), note.size()));
        DieBy(signalNumber);
    }
}

}  // namespace

void EndOnInterrupts() {
    SetHeldEndRoutine(EndAfterSave);
    struct sigaction action = {};
    action.sa_handler = OnEndingSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kEndingSignals) {
        // A signal ignored from the start (nohup, a background job of a script) stays ignored.
        struct sigaction previous;
        if (sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(signalNumber, &action, nullptr);
    }
}

void EndAsInterrupted(int status) {
    DieBy(status - kExitSignalBase);
}

#ifdef ZOK_COVERAGE
extern "C" void __gcov_dump();
#endif

void ExitNow(int status) {
#ifdef ZOK_COVERAGE
    __gcov_dump();  // a coverage build's counts, which _exit does not write
#endif
    _exit(status);
}
