// System access, threads and the program's end.
#pragma once
#include <cstdint>

// Opaque handle; 0 means "none".
using ThreadHandle = uintptr_t;

using ThreadRoutine = void (*)(uintptr_t argument);
// Starts a thread that ends when `routine` returns; nobody waits for it, and its handle is
// released at once. False when the thread could not be started.
bool StartThread(ThreadRoutine routine, uintptr_t argument);
// Starts a thread that returns from `routine` and that the starter waits for with JoinThread.
ThreadHandle StartJoinableThread(ThreadRoutine routine, uintptr_t argument);
// Waits until the thread has ended and releases its handle.
void JoinThread(ThreadHandle thread);
[[noreturn]] void EndProgram();
