// Threads on the Windows native services.
#include <windows.h>
#include <winternl.h>

#include <cstdlib>

#include "fileops/nt_file_win32.h"
#include "fileops/threads.h"

// ntdll exports that <winternl.h> does not declare.
extern "C" {
typedef NTSTATUS(NTAPI* UserThreadStart)(PVOID parameter);
NTSTATUS NTAPI RtlCreateUserThread(HANDLE process, PSECURITY_DESCRIPTOR security, BOOLEAN suspended,
                                   ULONG stackZeroBits, SIZE_T stackReserve, SIZE_T stackCommit,
                                   UserThreadStart start, PVOID parameter, PHANDLE thread,
                                   PVOID clientId);
NTSTATUS NTAPI NtTerminateProcess(HANDLE process, NTSTATUS exitStatus);
}

namespace {
// The routine and its argument, handed to the new thread. The native start routine is stdcall
// and returns a status, so the caller's routine is called from this entry, not started directly.
struct ThreadStart {
    ThreadRoutine routine;
    uintptr_t argument;
};

NTSTATUS NTAPI ThreadEntry(PVOID parameter) {
    const ThreadStart copy = *static_cast<ThreadStart*>(parameter);
    free(parameter);
    copy.routine(copy.argument);
    return 0;
}

ThreadHandle Start(ThreadRoutine routine, uintptr_t argument) {
    auto* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
    if (start == nullptr)
        return 0;
    *start = {routine, argument};
    HANDLE thread = nullptr;
    if (!Succeeded(RtlCreateUserThread(kCurrentProcess, nullptr, FALSE, 0, 0, 0, ThreadEntry, start,
                                       &thread, nullptr))) {
        free(start);
        return 0;
    }
    return reinterpret_cast<ThreadHandle>(thread);
}
}  // namespace

bool StartThread(ThreadRoutine routine, uintptr_t argument) {
    const ThreadHandle thread = Start(routine, argument);
    if (thread == 0)
        return false;
    NtClose(reinterpret_cast<HANDLE>(thread));
    return true;
}

ThreadHandle StartJoinableThread(ThreadRoutine routine, uintptr_t argument) {
    return Start(routine, argument);
}

void JoinThread(ThreadHandle thread) {
    if (thread == 0)
        return;
    NtWaitForSingleObject(reinterpret_cast<HANDLE>(thread), FALSE, nullptr);
    NtClose(reinterpret_cast<HANDLE>(thread));
}

void EndProgram() {
    for (;;) NtTerminateProcess(kCurrentProcess, 0);
}
