#include "fileops/save_guard.h"

#include <atomic>
#include <cstdint>

#include "fileops/threads.h"

namespace {

// One word, so that a signal handler and the worker agree without locks: whether a save is
// under way, whether an end was requested meanwhile, and with which status.
constexpr uint32_t kSaving = 1u << 31;
constexpr uint32_t kHeld = 1u << 30;
constexpr uint32_t kStatusMask = kHeld - 1;
std::atomic<uint32_t> g_state{0};
static_assert(std::atomic<uint32_t>::is_always_lock_free);

void EndWithoutStatus(int) {
    EndProgram();
}
std::atomic<EndProgramRoutine> g_heldEnd{EndWithoutStatus};
std::atomic<bool> g_keepSaves{false};

}  // namespace

void SetHeldEndRoutine(EndProgramRoutine routine) {
    g_heldEnd.store(routine);
}

void BeginSave() {
    g_state.store(kSaving);
}

void EndSave() {
    if (!g_keepSaves.load())
        EndKeptSave();
}

void KeepSaves(bool keep) {
    g_keepSaves.store(keep);
}

void EndKeptSave() {
    const uint32_t state = g_state.exchange(0);
    if ((state & kHeld) != 0)
        g_heldEnd.load()(static_cast<int>(state & kStatusMask));
}

bool HoldEndUntilSaved(int status) {
    uint32_t state = g_state.load();
    while ((state & kSaving) != 0) {
        if ((state & kHeld) != 0)
            return true;
        const uint32_t held = state | kHeld | (static_cast<uint32_t>(status) & kStatusMask);
        if (g_state.compare_exchange_weak(state, held))
            return true;
    }
    return false;
}

bool SaveUnderWay() {
    return (g_state.load() & kSaving) != 0;
}
