#include <windows.h>

#include <cwchar>

#include "tests/support/windows_path.h"
#include "tests/support/zok_process.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kTimeOutMs = 60000;

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

// The quoting that CommandLineToArgvW and the C runtime undo.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            backslashes = 2 * backslashes + 1;
        quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    quoted += L'"';
    return quoted;
}

// The program's path as Wine sees it: Unix paths of the build live on drive Z:.
std::wstring ProgramPath() {
    return WindowsPathOf(Wide(kProgramUnderTest).c_str());
}

// This process's environment block with `settings` laid over it.
std::wstring EnvironmentBlockWith(const Settings& settings) {
    std::vector<std::wstring> overrides;
    for (const std::string& setting : settings) overrides.push_back(Wide(setting));
    std::wstring block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != 0; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        bool replaced = false;
        for (const std::wstring& setting : overrides) {
            const size_t nameEnd = setting.find(L'=') + 1;
            replaced = replaced || text.compare(0, nameEnd, setting, 0, nameEnd) == 0;
        }
        if (!replaced)
            block += text + L'\0';
    }
    FreeEnvironmentStringsW(strings);
    for (const std::wstring& setting : overrides) block += setting + L'\0';
    block += L'\0';
    return block;
}

HANDLE Inheritable(const fs::path& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool SharedConsoleIn(unsigned codePage) {
    static const bool made = GetConsoleWindow() != nullptr || (FreeConsole(), AllocConsole());
    return made && SetConsoleOutputCP(codePage);
}

bool WritingIsRefused(const fs::path& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(file);
    return false;
}

bool RunWithStreamFiles(const std::vector<std::string>& args, const StreamFiles& streams,
                        const fs::path& directory, const Settings& settings, int* exitCode) {
    const std::wstring program = ProgramPath();
    std::wstring commandLine = Quote(program);
    for (const std::string& arg : args) commandLine += L" " + Quote(Wide(arg));

    HANDLE inHandle = Inheritable(streams.in, GENERIC_READ, OPEN_EXISTING);
    HANDLE outHandle = Inheritable(streams.out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE errHandle = Inheritable(streams.err, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inHandle;
    startup.hStdOutput = outHandle;
    startup.hStdError = errHandle;
    std::wstring environment = EnvironmentBlockWith(settings);
    PROCESS_INFORMATION process = {};
    // No terminal: streams are files. The shared console is UTF-8 (a new one under Wine lacks CJK).
    [[maybe_unused]] static const bool shared = SharedConsoleIn(CP_UTF8);
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT, environment.data(),
                                        directory.c_str(), &startup, &process);
    CloseHandle(inHandle);
    CloseHandle(outHandle);
    CloseHandle(errHandle);
    if (!started)
        return false;
    *exitCode = -1;
    if (WaitForSingleObject(process.hProcess, kTimeOutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        *exitCode = static_cast<int>(code);
    } else {
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

bool StartInConsoleOfItsOwn(const fs::path& output, const Settings& settings, void** process,
                            void** input) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE outHandle = Inheritable(output, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = outHandle;
    startup.hStdError = outHandle;
    const std::wstring program = ProgramPath();
    std::wstring commandLine = Quote(program);
    std::wstring environment = EnvironmentBlockWith(settings);
    PROCESS_INFORMATION started = {};
    const BOOL ok = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                   CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT,
                                   environment.data(), nullptr, &startup, &started);
    CloseHandle(readEnd);
    CloseHandle(outHandle);
    if (!ok) {
        CloseHandle(writeEnd);
        return false;
    }
    CloseHandle(started.hThread);
    *process = started.hProcess;
    *input = writeEnd;
    return true;
}
