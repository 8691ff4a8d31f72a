// The program's entry and the main window's message handler. The handler only dispatches: each
// message and command goes to one named procedure. It returns 0 for every message, so the
// dialog manager's default handling applies throughout (it sets no focus at initialisation).
#include <windows.h>
// After windows.h, which they build on.
#include <commdlg.h>
#include <shellapi.h>

#include <cstring>

#include "fileops/app_state.h"
#include "fileops/prepare.h"
#include "fileops/save_guard.h"
#include "fileops/shred.h"
#include "fileops/threads.h"
#include "ui/command_line_path.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"

namespace {

constexpr wchar_t kWebAddress[] = L"https://zok.torvel.example/";
// "All files" with the pattern "*.*"; the literal's own terminator closes the list.
constexpr wchar_t kBrowseFilter[] = L"所有文件\0*.*\0";
constexpr DWORD kBrowseFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
static_assert(kBrowseFlags == 0x1804);
static_assert(sizeof(wchar_t) == sizeof(char16_t));

void ShowPathBuffer() {
    SetControlText(IDC_PATH, g_app.pathBuffer);
}

void OnInitDialog(HWND window) {
    g_app.dialogWindow = window;
    g_app.statusLog = GetDlgItem(window, IDC_STATUS_LOG);
    g_app.progressBar = GetDlgItem(window, IDC_PROGRESS);
    PickPathFromCommandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()), g_app.pathBuffer);
    ShowPathBuffer();
}

// Takes the first dropped item. A path longer than the field holds is refused whole, leaving
// pathBuffer and the field as they were: a path cut short could name another, existing file.
void OnDropFiles(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    bool taken = false;
    if (length > 0 && length < kPathCapacity) {
        wchar_t scratch[kPathCapacity];
        if (DragQueryFileW(drop, 0, scratch, kPathCapacity) == length) {
            std::memcpy(g_app.pathBuffer, scratch, (length + 1) * sizeof(wchar_t));
            taken = true;
        }
    }
    DragFinish(drop);
    if (taken)
        ShowPathBuffer();
}

// The file-open dialog works on a copy of pathBuffer (its proposed name): when it fails, for
// instance because the chosen path does not fit, it leaves partial text in its buffer, which
// must reach neither pathBuffer nor the field. The copy also keeps nested dialogs (a second
// Browse or Esc handled inside this dialog's message loop) from sharing one buffer.
void OnBrowse() {
    wchar_t scratch[kPathCapacity];
    static_assert(sizeof scratch == sizeof g_app.pathBuffer);
    std::memcpy(scratch, g_app.pathBuffer, sizeof scratch);
    scratch[kPathCapacity - 1] = L'\0';

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = kBrowseFilter;
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = scratch;
    dialog.nMaxFile = kPathCapacity;
    dialog.lpstrInitialDir = L".";
    dialog.Flags = kBrowseFlags;
    if (GetOpenFileNameW(&dialog)) {
        scratch[kPathCapacity - 1] = L'\0';
        std::memcpy(g_app.pathBuffer, scratch, sizeof scratch);
    }
    ShowPathBuffer();
}

// Exit and the close box end the program at once, but never in the middle of a save: then the
// save's end ends it (seconds at most), and the window stays responsive meanwhile.
void OnExit() {
    if (!HoldEndUntilSaved(0))
        EndProgram();
}

void OnWebSite() {
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    execute.lpVerb = L"open";
    execute.lpFile = kWebAddress;
    execute.nShow = SW_SHOW;
    ShellExecuteExW(&execute);
}

// A button click arrives with notification code 0, so the whole wParam is the command.
void OnCommand(WPARAM command) {
    switch (command) {
        case IDC_BROWSE:  // also the Esc key (the cancel command)
            OnBrowse();
            break;
        case IDC_ENCRYPT:
        case IDC_DECRYPT:
            PrepareCipherRun(static_cast<uint32_t>(command), RunThread::kWorker);
            break;
        case IDC_SHRED:
            StartShredRun(RunThread::kWorker);
            break;
        case IDC_WEBSITE:
            OnWebSite();
            break;
        case IDC_EXIT:
            OnExit();
            break;
        default:
            break;
    }
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(window);
            break;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            break;
        case WM_COMMAND:
            OnCommand(wParam);
            break;
        case WM_CLOSE:
            OnExit();
            break;
        default:
            break;
    }
    return 0;
}

// The dialog is never ended: the process stops only through EndProgram (Exit or the close
// box, or the end of a save during which one of them was pressed). The return below is reached only
// when the window could not be created.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc,
                    0);
    return 1;
}
