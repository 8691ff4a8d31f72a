// The live main window: its controls as created, the path taken from the command line, the
// browse dialog, dropped files, and ending the program.
#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/window/window_driver.h"

namespace {

constexpr int kPath = 1, kBrowse = 2, kPassword = 3, kConfirm = 4, kOverwrite = 6, kLog = 7,
              kProgress = 8, kEncrypt = 9, kDecrypt = 10, kShred = 11, kWebSite = 12, kExit = 14;

struct Created {
    int id;
    const wchar_t* className;
    const wchar_t* text;
};

// Creation order is the template's order.
const Created kCreated[] = {
    {kPath, L"Edit", L""},
    {kBrowse, L"Button", L"浏览"},
    {kEncrypt, L"Button", L"加密"},
    {kWebSite, L"Button", L"官方网站"},
    {kExit, L"Button", L"退出"},
    {-1, L"Static", L"文件:"},
    {-1, L"Static", L"加密密码:"},
    {kPassword, L"Edit", L""},
    {-1, L"Static", L"确认密码:"},
    {kConfirm, L"Edit", L""},
    {kProgress, L"msctls_progress32", L""},
    {kLog, L"Edit", L""},
    {kDecrypt, L"Button", L"解密"},
    {kShred, L"Button", L"粉碎"},
    {kOverwrite, L"Button", L"覆盖源文件"},
    {-1, L"Static", nullptr},  // the banner's text names
                               // its bitmap resource
};

bool SameClass(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring StartedPath(const std::wstring& commandLine) {
    Program program;
    if (!StartProgram(commandLine, &program))
        return L"<no window>";
    return FieldText(program.dialog, kPath);
}

TEST(MainWindow, ControlsAreCreatedInOrderWithTheirIdsClassesAndTexts) {
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram(), &program));
    HWND dialog = program.dialog;

    wchar_t caption[128] = {};
    GetWindowTextW(dialog, caption, 128);
    EXPECT_STREQ(caption, kMainCaption);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    ASSERT_EQ(children.size(), std::size(kCreated));
    for (size_t i = 0; i < children.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "child " << i);
        HWND child = children[i];
        EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, kCreated[i].id & 0xFFFF);
        EXPECT_TRUE(SameClass(ClassOf(child), kCreated[i].className))
            << std::string(ClassOf(child).begin(), ClassOf(child).end());
        if (kCreated[i].text != nullptr) {
            EXPECT_EQ(TextOf(child), kCreated[i].text);
        }
        const bool tabStop = (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0;
        EXPECT_EQ(tabStop, kCreated[i].id == kPassword || kCreated[i].id == kConfirm);
        EXPECT_TRUE(IsWindowEnabled(child));
    }
}

TEST(MainWindow, EntriesMaskAndTheFieldsTheProgramFillsAreReadOnly) {
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram(), &program));
    auto style = [&](int id) { return GetWindowLongW(GetDlgItem(program.dialog, id), GWL_STYLE); };
    EXPECT_TRUE(style(kPassword) & ES_PASSWORD);
    EXPECT_TRUE(style(kConfirm) & ES_PASSWORD);
    EXPECT_TRUE(style(kPath) & ES_READONLY);
    EXPECT_TRUE(style(kLog) & ES_READONLY);
    EXPECT_TRUE(style(kLog) & ES_MULTILINE);
    EXPECT_FALSE(IsTicked(program.dialog, kOverwrite)) << "unticked at start";
    EXPECT_EQ(FieldText(program.dialog, kPath), L"") << "no argument, no path";
    EXPECT_EQ(FieldText(program.dialog, kLog), L"");
}

TEST(MainWindow, BannerKeepsTheBitmapsPixelSize) {
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram(), &program));
    HWND banner = GetWindow(GetWindow(program.dialog, GW_CHILD), GW_HWNDLAST);
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(GetWindowLongW(banner, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
    RECT rect = {};
    GetClientRect(banner, &rect);
    EXPECT_EQ(rect.right - rect.left, 803);
    EXPECT_EQ(rect.bottom - rect.top, 126);
    RECT inDialog = {};
    GetWindowRect(banner, &inDialog);
    MapWindowPoints(nullptr, program.dialog, reinterpret_cast<POINT*>(&inDialog), 2);
    EXPECT_EQ(inDialog.left, 0);
    EXPECT_EQ(inDialog.top, 0);
}

TEST(CommandLine, PathIsTakenFromTheCommandLineAsStarted) {
    // Started by its full path: the argument's drive letter starts the path, quotes dropped.
    EXPECT_EQ(StartedPath(QuotedProgram() + L" \"D:\\My Files\\a.txt\""), L"D:\\My Files\\a.txt");
    // An unquoted argument runs to the end of the line, spaces and further words included.
    EXPECT_EQ(StartedPath(QuotedProgram() + L" D:\\My Files\\a.txt more"),
              L"D:\\My Files\\a.txt more");
    // Started by a relative name: the argument's colon is the first one, nothing is taken.
    EXPECT_EQ(StartedPath(L"zok.exe \"D:\\My Files\\a.txt\""), L"");
    // Chinese text arrives whole.
    EXPECT_EQ(StartedPath(QuotedProgram() + L" \"D:\\资料\\季度报告.docx\""),
              L"D:\\资料\\季度报告.docx");
}

TEST(CommandLine, PathLongerThanTheFieldHoldsIsRefusedNotCut) {
    const std::wstring longest = L"D:\\" + std::wstring(259 - 3, L'a');
    EXPECT_EQ(StartedPath(QuotedProgram() + L" \"" + longest + L"\""), longest);
    EXPECT_EQ(StartedPath(QuotedProgram() + L" \"" + longest + L"b\""), L"");
}

// Run by scripts/setup-check.sh on the installed zok.exe, once the setup program has written
// Explorer's entry; skipped elsewhere. The command is run as Explorer runs it, a file in a
// folder with spaces and Chinese characters put in for "%1".
TEST(CommandLine, ExplorerEntryOfTheSetupOpensTheWindowWithTheFile) {
    wchar_t command[1024] = {};
    DWORD size = sizeof command;
    if (RegGetValueW(HKEY_CLASSES_ROOT, L"*\\shell\\ZOK\\command", nullptr, RRF_RT_REG_SZ, nullptr,
                     command, &size) != ERROR_SUCCESS) {
        GTEST_SKIP() << "no Explorer entry: the setup program has not run";
    }
    std::wstring line = command;
    ASSERT_EQ(line, QuotedProgram() + L" \"%1\"");
    const std::wstring file = L"C:\\我的 资料\\季度 报告.docx";
    line.replace(line.find(L"%1"), 2, file);
    EXPECT_EQ(StartedPath(line), file);
}

TEST(Ending, ExitButtonEndsTheProcess) {
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram(), &program));
    Click(program.dialog, kExit);
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(program, kTimeoutMs, &code));
    EXPECT_EQ(code, 0u);
}

TEST(Ending, CloseBoxEndsTheProcess) {
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram(), &program));
    PostMessageW(program.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(program, kTimeoutMs, &code));
    EXPECT_EQ(code, 0u);
}

// --- The file-open dialog -------------------------------------------------------------------

// The file name box of the file-open dialog: a combo box (cmb13) or an edit (edt1).
HWND FileNameBox(HWND openDialog) {
    HWND box = GetDlgItem(openDialog, 0x47C);
    return box != nullptr ? box : GetDlgItem(openDialog, 0x480);
}

TEST(Browse, ChosenFileFillsThePathField) {
    const std::wstring file = TestFolder() + L"\\chosen file.txt";
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram(), &program));
    Click(program.dialog, kBrowse);
    HWND open = WaitForOtherDialog(program.process.dwProcessId, program.dialog, kTimeoutMs);
    ASSERT_NE(open, nullptr) << "no file-open dialog";
    EXPECT_EQ(GetWindow(open, GW_OWNER), nullptr) << "the dialog has no owner";
    HWND name = FileNameBox(open);
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(program.dialog, kPath) == file; }, kTimeoutMs))
        << "field: " << std::string(FieldText(program.dialog, kPath).size(), '?');
}

TEST(Browse, CancelShowsTheKeptPathAgain) {
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram() + L" \"D:\\kept.txt\"", &program));
    // The field is filled only by the program; whatever it shows, Browse ends by showing the
    // path the program holds.
    SetFieldText(program.dialog, kPath, L"D:\\typed.txt");
    Click(program.dialog, kBrowse);
    HWND open = WaitForOtherDialog(program.process.dwProcessId, program.dialog, kTimeoutMs);
    ASSERT_NE(open, nullptr);
    PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(
        WaitUntil([&] { return FieldText(program.dialog, kPath) == L"D:\\kept.txt"; }, kTimeoutMs));
}

// --- Dropped files --------------------------------------------------------------------------

// Places a drop block (DROPFILES and a double-terminated list of paths) in the program's
// memory and posts WM_DROPFILES with it, as the shell does for a fixed-memory drop handle.
void DropFiles(const Program& program, const std::vector<std::wstring>& paths) {
    std::vector<BYTE> block(sizeof(DROPFILES));
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    for (const std::wstring& path : paths) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(path.c_str());
        block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
    }
    block.insert(block.end(), sizeof(wchar_t), 0);
    void* remote = VirtualAllocEx(program.process.hProcess, nullptr, block.size(),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    ASSERT_TRUE(
        WriteProcessMemory(program.process.hProcess, remote, block.data(), block.size(), nullptr));
    PostMessageW(program.dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

TEST(Drop, FirstOfSeveralDroppedFilesIsTaken) {
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram(), &program));
    DropFiles(program, {L"C:\\first.txt", L"C:\\second.txt", L"C:\\third.txt"});
    EXPECT_TRUE(WaitUntil([&] { return FieldText(program.dialog, kPath) == L"C:\\first.txt"; },
                          kTimeoutMs));
}

TEST(Drop, PathLongerThanTheFieldHoldsIsRefusedAndTheFieldKeepsItsText) {
    Program program;
    ASSERT_TRUE(StartProgram(QuotedProgram(), &program));
    DropFiles(program, {L"C:\\before.txt"});
    ASSERT_TRUE(WaitUntil([&] { return FieldText(program.dialog, kPath) == L"C:\\before.txt"; },
                          kTimeoutMs));
    const std::wstring tooLong = L"C:\\" + std::wstring(257, L'x');  // 260 units
    DropFiles(program, {tooLong});
    // A drop the program takes is shown at once; one more drop after the refused one proves
    // the refused one was handled (messages arrive in order).
    DropFiles(program, {L"C:\\after.txt"});
    ASSERT_TRUE(WaitUntil([&] { return FieldText(program.dialog, kPath) == L"C:\\after.txt"; },
                          kTimeoutMs));

    // And the refused path never reached the buffer Browse proposes: cancel shows it again.
    DropFiles(program, {tooLong});
    Click(program.dialog, kBrowse);
    HWND open = WaitForOtherDialog(program.process.dwProcessId, program.dialog, kTimeoutMs);
    ASSERT_NE(open, nullptr);
    PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil(
        [&] { return !IsWindow(open) && FieldText(program.dialog, kPath) == L"C:\\after.txt"; },
        kTimeoutMs));
}

}  // namespace
