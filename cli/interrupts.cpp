// What both platforms' interrupts share: the walk's ending note and the end it holds.
#include <atomic>
#include <string>

#include "cli/interrupts.h"
#include "fileops/utf.h"

namespace {

// Two buffers for the note, so that a handler never reads the one being written: the main
// thread fills the other and then publishes it.
std::string g_notes[2];
std::atomic<int> g_noteShown{-1};
std::atomic<int> g_pendingEnd{0};

}  // namespace

void SetEndingNote(std::u16string_view note) {
    const int next = g_noteShown.load() == 0 ? 1 : 0;
    g_noteShown.store(-1);
    g_notes[next] = Utf16ToUtf8(note);
    g_noteShown.store(note.empty() ? -1 : next);
}

int PendingEnd() {
    return g_pendingEnd.load();
}

std::string_view EndingNote() {
    const int shown = g_noteShown.load();
    return shown < 0 ? std::string_view() : std::string_view(g_notes[shown]);
}

void EndAfterSave(int status) {
    if (g_noteShown.load() < 0)
        EndAsInterrupted(status);
    g_pendingEnd.store(status);
}
