// The signals whose default action ends the program and that zok handles: an end requested by
// one of them waits for a save under way (interrupts_posix.cpp), and none may leave the
// terminal without echo (terminal_posix.cpp). POSIX only: Windows has console events instead.
#pragma once
#include <signal.h>

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
