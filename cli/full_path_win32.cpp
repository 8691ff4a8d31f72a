// A name made absolute against the current directory by the system's own rules (drive,
// separators, "." and ".."), as the window receives full paths.
#include <windows.h>

#include <string>

#include "cli/full_path.h"

bool MakeFullPath(std::u16string_view name, std::u16string* full) {
    const std::wstring wide(reinterpret_cast<const wchar_t*>(name.data()), name.size());
    DWORD capacity = MAX_PATH;
    std::wstring result;
    while (true) {
        result.resize(capacity);
        const DWORD length = GetFullPathNameW(wide.c_str(), capacity, result.data(), nullptr);
        if (length == 0)
            return false;
        if (length < capacity) {
            full->assign(reinterpret_cast<const char16_t*>(result.data()), length);
            return true;
        }
        capacity = length;  // the size needed, terminator included
    }
}

const std::u16string_view kPathSeparators = u"\\/";
