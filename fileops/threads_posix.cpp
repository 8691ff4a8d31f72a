// Threads on POSIX: pthreads, detached or joinable.
#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "fileops/open_file_posix.h"
#include "fileops/threads.h"

namespace {
struct ThreadStart {
    ThreadRoutine routine;
    uintptr_t argument;
};

void* ThreadEntry(void* start) {
    const ThreadStart copy = *static_cast<ThreadStart*>(start);
    free(start);
    copy.routine(copy.argument);
    return nullptr;
}

ThreadHandle Start(ThreadRoutine routine, uintptr_t argument) {
    static_assert(sizeof(pthread_t) <= sizeof(ThreadHandle));
    auto* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
    if (start == nullptr)
        return 0;
    *start = {routine, argument};
    pthread_t thread;
    if (pthread_create(&thread, nullptr, ThreadEntry, start) != 0) {
        free(start);
        return 0;
    }
    return static_cast<ThreadHandle>(thread);
}
}  // namespace

bool StartThread(ThreadRoutine routine, uintptr_t argument) {
    if (ZOK_INJECTED_FAULT(kStartThread))
        return false;
    const ThreadHandle thread = Start(routine, argument);
    if (thread != 0)
        pthread_detach(static_cast<pthread_t>(thread));
    return thread != 0;
}

ThreadHandle StartJoinableThread(ThreadRoutine routine, uintptr_t argument) {
    if (ZOK_INJECTED_FAULT(kStartJoinableThread))
        return 0;
    return Start(routine, argument);
}

void JoinThread(ThreadHandle thread) {
    if (thread != 0)
        pthread_join(static_cast<pthread_t>(thread), nullptr);
}

void EndProgram() {
    // The Windows program ends without flushing anything; here the command-line front end's
    // buffered output is worth keeping.
    fflush(nullptr);
    _exit(0);
}
