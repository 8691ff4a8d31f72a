#include <windows.h>

#include "tests/fileops/test_folder.h"

bool ReadOnlyFilesAreEnforced() {
    // Windows always refuses writers; Wine does too unless run by root. Wine exports
    // wine_get_version from ntdll, Windows does not, so only under Wine is the system asked.
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr)
        return true;
    TestFolder folder;
    WriteBytes(folder.Path("probe"), "p");
    MakeReadOnly(folder.Path("probe"));
    const HANDLE file = CreateFileW(folder.Path("probe").c_str(), GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(file);
    return false;
}
