// The signals that end the program and that it handles: an end requested by one of them waits
// for a save under way (interrupts_posix.cpp, interrupts_win32.cpp), and none may leave the
// terminal without echo (terminal_posix.cpp). The program then ends with kExitSignalBase + the
// signal's number (cli/exit_status.h).
#pragma once
#include <signal.h>

#ifdef _WIN32
// Windows has console events in their place: Ctrl-C and Ctrl-Break end the program as SIGINT
// would, closing the console as SIGHUP would (a number Windows does not define).
constexpr int kSignalHangUp = 1;
constexpr int kEndingSignals[] = {SIGINT, kSignalHangUp};
#else
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
#endif
