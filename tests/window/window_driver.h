// Drives a running zok.exe from another process, as a user would: finds its window, reads and
// sets control texts, clicks buttons and answers its message boxes. Every wait polls with a
// time-out; none sleeps for a fixed time.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/wait_until.h"
#include "tests/support/windows_path.h"

// Generous: under emulation a Wine program can take seconds to start.
constexpr DWORD kStartTimeoutMs = 90000;
constexpr DWORD kTimeoutMs = 30000;

extern const wchar_t kMainCaption[];
extern const wchar_t kBoxCaption[];

// The program under test, as given on the driver's command line.
void SetProgramPath(const wchar_t* path);
const std::wstring& ProgramPath();
// The program's full path in double quotes: the start of a command line.
std::wstring QuotedProgram();

// A started zok.exe; ended on destruction if it still runs.
struct Program {
    PROCESS_INFORMATION process = {};
    HWND dialog = nullptr;

    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();
};

// Starts ProgramPath() with exactly this command line and waits for its main window. A failure
// says why: the program could not be started, ended first (with its exit code), or showed no
// window in time.
testing::AssertionResult StartProgram(const std::wstring& commandLine, Program* program);
// Waits until the process has ended; its exit code goes to *exitCode.
bool WaitForExit(const Program& program, DWORD timeoutMs, DWORD* exitCode);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);  // through WM_GETTEXT, also across processes
std::wstring FieldText(HWND dialog, int controlId);
void SetFieldText(HWND dialog, int controlId, const std::wstring& text);
bool IsTicked(HWND dialog, int controlId);
void SetTicked(HWND dialog, int controlId, bool ticked);
bool IsEnabled(HWND dialog, int controlId);
// BM_CLICK posted to the button: refused by a disabled button, as a click would be.
void Click(HWND dialog, int controlId);

// The message box owned by `owner`; nullptr on time-out.
HWND WaitForBox(HWND owner, DWORD timeoutMs);
// A visible dialog of the process other than `except`, e.g. the file-open dialog.
HWND WaitForOtherDialog(DWORD processId, HWND except, DWORD timeoutMs);
std::wstring BoxText(HWND box);
// Presses the box's button (IDOK, IDYES or IDNO) and waits until the box is gone.
bool AnswerBox(HWND box, int buttonId);
bool WaitUntilEnabled(HWND dialog, int controlId, DWORD timeoutMs);

// A file of the test's own, in a fresh folder under the temporary folder.
std::wstring TestFolder();
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
bool ReadWholeFile(const std::wstring& path, std::string* bytes);
bool FileExists(const std::wstring& path);
