#include "tests/window/window_driver.h"

#include <vector>

const wchar_t kMainCaption[] = L"Torvel File Encryptor (ZOK) V1.0 Alpha   By:Torvel";
const wchar_t kBoxCaption[] = L"ZOK（Torvel File Encryptor - 青禾文件加密机）";

namespace {

std::wstring g_programPath;

struct Search {
    DWORD processId;
    HWND owner;
    HWND except;
    HWND found;
};

bool IsVisibleDialog(HWND window) {
    return IsWindowVisible(window) && ClassOf(window) == L"#32770";
}

HWND FindTopLevel(WNDENUMPROC test, Search* search) {
    search->found = nullptr;
    EnumWindows(test, reinterpret_cast<LPARAM>(search));
    return search->found;
}

BOOL CALLBACK IsMainWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsVisibleDialog(window))
        return TRUE;
    wchar_t caption[128] = {};
    GetWindowTextW(window, caption, 128);
    if (std::wstring(caption) != kMainCaption)
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK IsOwnedBox(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (GetWindow(window, GW_OWNER) != search->owner || !IsVisibleDialog(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK IsOtherDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || window == search->except || !IsVisibleDialog(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

void SetProgramPath(const wchar_t* path) {
    g_programPath = WindowsPathOf(path);
}

const std::wstring& ProgramPath() {
    return g_programPath;
}
std::wstring QuotedProgram() {
    return L"\"" + g_programPath + L"\"";
}

Program::~Program() {
    if (process.hProcess != nullptr) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, kTimeoutMs);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

testing::AssertionResult StartProgram(const std::wstring& commandLine, Program* program) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(g_programPath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &program->process)) {
        return testing::AssertionFailure()
               << "zok.exe could not be started: CreateProcessW failed with error "
               << GetLastError();
    }
    Search search = {program->process.dwProcessId, nullptr, nullptr, nullptr};
    bool ended = false;
    WaitUntil(
        [&] {
            program->dialog = FindTopLevel(IsMainWindow, &search);
            ended = WaitForSingleObject(program->process.hProcess, 0) == WAIT_OBJECT_0;
            return program->dialog != nullptr || ended;
        },
        kStartTimeoutMs);
    if (program->dialog != nullptr)
        return testing::AssertionSuccess();
    if (ended) {
        DWORD code = 0;
        GetExitCodeProcess(program->process.hProcess, &code);
        return testing::AssertionFailure()
               << "zok.exe ended with exit code " << code << " (0x" << std::hex << code
               << ") before its window appeared; is Wine's server running inside this display?";
    }
    return testing::AssertionFailure()
           << "zok.exe showed no window within " << kStartTimeoutMs << " ms";
}

bool WaitForExit(const Program& program, DWORD timeoutMs, DWORD* exitCode) {
    if (WaitForSingleObject(program.process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(program.process.hProcess, exitCode) != 0;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs,
                             &length)) {
        return L"<no answer>";
    }
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, kTimeoutMs, &copied);
    return std::wstring(text.data(), copied);
}

std::wstring FieldText(HWND dialog, int controlId) {
    return TextOf(GetDlgItem(dialog, controlId));
}

void SetFieldText(HWND dialog, int controlId, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, controlId), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsTicked(HWND dialog, int controlId) {
    return SendMessageW(GetDlgItem(dialog, controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetTicked(HWND dialog, int controlId, bool ticked) {
    SendMessageW(GetDlgItem(dialog, controlId), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED,
                 0);
}

bool IsEnabled(HWND dialog, int controlId) {
    return IsWindowEnabled(GetDlgItem(dialog, controlId)) != FALSE;
}

void Click(HWND dialog, int controlId) {
    PostMessageW(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

HWND WaitForBox(HWND owner, DWORD timeoutMs) {
    Search search = {0, owner, nullptr, nullptr};
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindTopLevel(IsOwnedBox, &search)) != nullptr; }, timeoutMs);
    return box;
}

HWND WaitForOtherDialog(DWORD processId, HWND except, DWORD timeoutMs) {
    Search search = {processId, nullptr, except, nullptr};
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindTopLevel(IsOtherDialog, &search)) != nullptr; },
              timeoutMs);
    return dialog;
}

std::wstring BoxText(HWND box) {
    return TextOf(GetDlgItem(box, 0xFFFF));
}

bool AnswerBox(HWND box, int buttonId) {
    PostMessageW(GetDlgItem(box, buttonId), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, kTimeoutMs);
}

bool WaitUntilEnabled(HWND dialog, int controlId, DWORD timeoutMs) {
    return WaitUntil([&] { return IsEnabled(dialog, controlId); }, timeoutMs);
}

std::wstring TestFolder() {
    static unsigned counter = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    // Process ids repeat from one Wine server to the next: a folder left by an earlier session
    // is passed over, never reused with its files.
    for (;;) {
        std::wstring folder = std::wstring(temp) + L"zok-window-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++counter);
        if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) {
            return folder;
        }
    }
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadWholeFile(const std::wstring& path, std::string* bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    BOOL ok = bytes->empty() ||
              ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr);
    CloseHandle(file);
    return ok && read == bytes->size();
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
