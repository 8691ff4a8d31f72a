// Standard input and output as files on Windows: only the password file; numbered descriptors
// and "-" do not exist here.
#include <windows.h>

#include <string>

#include "cli/platform.h"
#include "cli/terminal_win32.h"
#include "fileops/system_reason.h"

LineResult ReadLineBytesFromFile(std::u16string_view name, size_t limit, std::string* bytes) {
    const std::u16string path(name);
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        NoteSystemReason(SystemReasonOfCode(GetLastError()));
        return LineResult::kCannotRead;
    }
    const LineResult result = ReadLineBytesFromHandle(file, limit, bytes);
    CloseHandle(file);
    return result;
}

bool StdoutIsTerminal() {
    return false;
}

bool TerminalOpens() {
    return false;
}

LineResult ReadLineBytesFromDescriptor(int, size_t, std::string*) {
    return LineResult::kCannotRead;
}

bool LoadStandardInput(uint64_t, std::u16string*) {
    return false;
}

bool LoadNamedFile(std::u16string_view, uint64_t, std::u16string*) {
    return false;
}

bool CopyMemoryFileToStdout() {
    return false;
}
