// The password file on Windows; numbered descriptors and "-" do not exist here.
#include <windows.h>

#include <algorithm>
#include <string>

#include "cli/platform.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"

LineResult ReadFirstLineOfFile(std::u16string_view name, std::u16string* line) {
    const std::u16string path(name);
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        NoteSystemReason(SystemReasonOfCode(GetLastError()));
        return LineResult::kCannotRead;
    }
    std::string bytes;
    char chunk[512];
    DWORD count = 0;
    while (bytes.find('\n') == std::string::npos &&
           ReadFile(file, chunk, sizeof chunk, &count, nullptr) && count > 0) {
        bytes.append(chunk, count);
    }
    CloseHandle(file);
    bytes.resize(std::min(bytes.size(), bytes.find('\n')));
    if (!bytes.empty() && bytes.back() == '\r')
        bytes.pop_back();
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    return Utf8ToUtf16(bytes, line) ? LineResult::kRead : LineResult::kBadText;
}

bool HasStandardStreamFiles() {
    return false;
}

bool StdoutIsTerminal() {
    return false;
}

bool TerminalOpens() {
    return false;
}

LineResult ReadDescriptorLine(int, std::u16string*) {
    return LineResult::kCannotRead;
}

bool LoadStandardInput(uint64_t, std::u16string*) {
    return false;
}

bool CopyStandardInputFileToStdout() {
    return false;
}
