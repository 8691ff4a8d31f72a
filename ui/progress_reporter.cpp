// The progress reporter: a thread that copies g_app.progressCounter to the bar until it is
// stopped. Kept apart from the rest of the feedback so that a program can link without it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "fileops/app_state.h"
#include "fileops/threads.h"
#include "ui/control_access.h"
#include "ui/feedback.h"

namespace {

// The reporter sleeps between updates on this condition so that a stop wakes it at once.
std::mutex g_reporterMutex;
std::condition_variable g_reporterWake;
bool g_reporterStop = false;

constexpr auto kReporterPeriod = std::chrono::milliseconds(20);

void ProgressReporter(uintptr_t) {
    std::unique_lock<std::mutex> lock(g_reporterMutex);
    while (!g_reporterStop) {
        lock.unlock();
        SetProgressPosition(g_app.progressCounter.load(std::memory_order_relaxed));
        lock.lock();
        g_reporterWake.wait_for(lock, kReporterPeriod, [] { return g_reporterStop; });
    }
}

}  // namespace

bool StartProgressReporter() {
    {
        std::lock_guard<std::mutex> lock(g_reporterMutex);
        g_reporterStop = false;
    }
    g_app.reporterThread = StartJoinableThread(ProgressReporter, 0);
    return g_app.reporterThread != 0;
}

void StopProgressReporter() {
    if (g_app.reporterThread == 0)
        return;
    {
        std::lock_guard<std::mutex> lock(g_reporterMutex);
        g_reporterStop = true;
    }
    g_reporterWake.notify_all();
    JoinThread(g_app.reporterThread);
    g_app.reporterThread = 0;
}
