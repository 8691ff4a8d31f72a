// The control-access seam over an in-memory dialog. One mutex guards the controls; hooks run
// outside it so they may read the dialog back.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "fileops/wipe.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"

namespace {

constexpr int kControlCount = 16;  // identifiers 0..15

struct HeadlessDialog {
    std::mutex mutex;
    std::condition_variable changed;
    std::u16string text[kControlCount];
    bool checked[kControlCount] = {};
    bool enabled[kControlCount] = {};
    uint32_t progressHigh = 100;
    uint32_t progressPosition = 0;
    HeadlessHooks hooks = {};
};

// Never destroyed: a worker that re-enabled the buttons may still be leaving its last call
// while the process exits.
HeadlessDialog& Dialog() {
    static HeadlessDialog* dialog = new HeadlessDialog;
    return *dialog;
}

bool Known(int id) {
    return id >= 0 && id < kControlCount;
}

HeadlessHooks Hooks() {
    std::lock_guard<std::mutex> lock(Dialog().mutex);
    return Dialog().hooks;
}

// Sets the bar's range or position and tells the hook both.
void SetProgress(uint32_t HeadlessDialog::*field, uint32_t value) {
    HeadlessDialog& d = Dialog();
    uint32_t position, high;
    HeadlessHooks hooks;
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        d.*field = value;
        position = d.progressPosition;
        high = d.progressHigh;
        hooks = d.hooks;
    }
    if (hooks.onProgress)
        hooks.onProgress(position, high, hooks.context);
}

}  // namespace

void HeadlessReset() {
    HeadlessDialog& d = Dialog();
    std::lock_guard<std::mutex> lock(d.mutex);
    for (int i = 0; i < kControlCount; ++i) {
        d.text[i].clear();
        d.checked[i] = false;
        d.enabled[i] = true;
    }
    d.progressHigh = 100;
    d.progressPosition = 0;
    d.hooks = {};
}

void HeadlessSetHooks(const HeadlessHooks& hooks) {
    std::lock_guard<std::mutex> lock(Dialog().mutex);
    Dialog().hooks = hooks;
}

void SetControlChecked(int controlId, bool checked) {
    if (!Known(controlId))
        return;
    std::lock_guard<std::mutex> lock(Dialog().mutex);
    Dialog().checked[controlId] = checked;
}

bool HeadlessWaitUntilEnabled(int controlId, uint32_t timeoutMs) {
    if (!Known(controlId))
        return false;
    HeadlessDialog& d = Dialog();
    std::unique_lock<std::mutex> lock(d.mutex);
    return d.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return d.enabled[controlId]; });
}

uint32_t ControlTextLength(int controlId) {
    if (!Known(controlId))
        return 0;
    std::lock_guard<std::mutex> lock(Dialog().mutex);
    return static_cast<uint32_t>(Dialog().text[controlId].size());
}

uint32_t GetControlText(int controlId, char16_t* buffer, uint32_t capacity) {
    if (capacity == 0)
        return 0;
    uint32_t n = 0;
    if (Known(controlId)) {
        std::lock_guard<std::mutex> lock(Dialog().mutex);
        n = static_cast<uint32_t>(Dialog().text[controlId].copy(buffer, capacity - 1));
    }
    buffer[n] = 0;
    return n;
}

void SetControlText(int controlId, const char16_t* text) {
    if (!Known(controlId))
        return;
    std::lock_guard<std::mutex> lock(Dialog().mutex);
    // The old text is wiped before its block may be freed: a field may have held a password.
    std::u16string& field = Dialog().text[controlId];
    WipeBytes(field.data(), field.size() * sizeof(char16_t));
    field = text;
}

bool IsControlChecked(int controlId) {
    if (!Known(controlId))
        return false;
    std::lock_guard<std::mutex> lock(Dialog().mutex);
    return Dialog().checked[controlId];
}

void EnableControl(int controlId, bool enabled) {
    if (!Known(controlId))
        return;
    std::lock_guard<std::mutex> lock(Dialog().mutex);
    Dialog().enabled[controlId] = enabled;
    Dialog().changed.notify_all();
}

void SetProgressRange(uint32_t high) {
    SetProgress(&HeadlessDialog::progressHigh, high);
}

void SetProgressPosition(uint32_t position) {
    SetProgress(&HeadlessDialog::progressPosition, position);
}

// The hook answers by the message alone: the command line words the detail itself.
int ShowBox(MessageId message, uint32_t style, const char16_t*) {
    HeadlessHooks hooks = Hooks();
    if (hooks.onBox)
        return hooks.onBox(message, style, hooks.context);
    return style == kBoxYesNo ? kAnswerNo : kAnswerOk;
}

void NoteAppended(MessageId note) {
    HeadlessHooks hooks = Hooks();
    if (hooks.onNote)
        hooks.onNote(note, hooks.context);
}
