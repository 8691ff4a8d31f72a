// The control-access seam over window messages to the real dialog. Messages that carry text go
// through SendMessageW; the check box and progress messages carry none and go through
// SendMessageA. SendMessage from a worker thread is synchronous: the user-interface thread
// carries out every change, which serialises them.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <string>

#include "fileops/app_state.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"

// Exported by user32 but not declared in the system headers.
extern "C" int WINAPI MessageBoxTimeoutW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style,
                                         WORD language, DWORD timeoutMs);

namespace {

constexpr DWORD kNoTimeout = 0xFFFFFFFF;

HWND Dialog() {
    return static_cast<HWND>(g_app.dialogWindow);
}
// The log and the bar, the controls the runs talk to most, by the handles taken at start.
HWND Control(int controlId) {
    if (controlId == IDC_STATUS_LOG)
        return static_cast<HWND>(g_app.statusLog);
    return GetDlgItem(Dialog(), controlId);
}

}  // namespace

uint32_t ControlTextLength(int controlId) {
    return static_cast<uint32_t>(SendMessageW(Control(controlId), WM_GETTEXTLENGTH, 0, 0));
}

uint32_t GetControlText(int controlId, char16_t* buffer, uint32_t capacity) {
    if (capacity == 0)
        return 0;
    buffer[0] = u'\0';
    return static_cast<uint32_t>(
        SendMessageW(Control(controlId), WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(buffer)));
}

void SetControlText(int controlId, const char16_t* text) {
    SendMessageW(Control(controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

bool IsControlChecked(int controlId) {
    return SendMessageA(Control(controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetControlChecked(int controlId, bool checked) {
    SendMessageA(Control(controlId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EnableControl(int controlId, bool enabled) {
    EnableWindow(Control(controlId), enabled);
}

void SetProgressRange(uint32_t high) {
    SendMessageA(static_cast<HWND>(g_app.progressBar), PBM_SETRANGE32, 0,
                 static_cast<LPARAM>(high));
}

void SetProgressPosition(uint32_t position) {
    SendMessageA(static_cast<HWND>(g_app.progressBar), PBM_SETPOS, static_cast<WPARAM>(position),
                 0);
}

int ShowBox(MessageId message, uint32_t style, const char16_t* detail) {
    std::u16string text = TextOf(message);
    if (detail != nullptr)
        text.append(u"\r\n").append(detail);
    return MessageBoxTimeoutW(Dialog(), reinterpret_cast<LPCWSTR>(text.c_str()),
                              reinterpret_cast<LPCWSTR>(kBoxCaption), style, 0, kNoTimeout);
}

void NoteAppended(MessageId) {}
