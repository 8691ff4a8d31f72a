// A path as a Windows test program under Wine takes it from the build: the build's Unix paths
// live on drive Z:.
#pragma once
#include <string>

// A path as given on a command line; a Unix path is mapped to Wine's Z: drive.
inline std::wstring WindowsPathOf(const wchar_t* path) {
    std::wstring wide = path;
    if (!wide.empty() && wide[0] == L'/') {
        for (wchar_t& c : wide) {
            if (c == L'/')
                c = L'\\';
        }
        wide = L"Z:" + wide;
    }
    return wide;
}
