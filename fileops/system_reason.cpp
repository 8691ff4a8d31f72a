#include "fileops/system_reason.h"

#include <atomic>

namespace {
// Written by the worker thread, read by the front end once the run has ended.
std::atomic<SystemReason> g_lastReason{SystemReason::kNone};
}  // namespace

void NoteSystemReason(SystemReason reason) {
    g_lastReason.store(reason, std::memory_order_relaxed);
}

SystemReason LastSystemReason() {
    return g_lastReason.load(std::memory_order_relaxed);
}

void ClearSystemReason() {
    NoteSystemReason(SystemReason::kNone);
}
