#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/wildcards.h"

namespace {

bool HasWildcard(std::u16string_view text) {
    return text.find_first_of(u"*?") != std::u16string_view::npos;
}

std::u16string Upper(std::u16string_view text) {
    std::u16string upper(text);
    if (!upper.empty())
        CharUpperBuffW(reinterpret_cast<wchar_t*>(upper.data()), static_cast<DWORD>(upper.size()));
    return upper;
}

// The files (not folders) in the pattern's folder whose names match its last component, each
// with the folder part as the pattern wrote it. The folder part itself takes no wildcards.
std::vector<std::u16string> Matches(const std::u16string& pattern) {
    const size_t cut = pattern.find_last_of(u"\\/:");
    const std::u16string folder = cut == std::u16string::npos ? u"" : pattern.substr(0, cut + 1);
    const std::u16string namePattern = pattern.substr(folder.size());
    std::vector<std::u16string> found;
    if (HasWildcard(folder))
        return found;
    WIN32_FIND_DATAW entry;
    const std::u16string all = folder + u"*";
    HANDLE search = FindFirstFileExW(reinterpret_cast<const wchar_t*>(all.c_str()), FindExInfoBasic,
                                     &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        const std::u16string name(reinterpret_cast<const char16_t*>(entry.cFileName));
        // The long name decides: the system's own matching also tries the short 8.3 names.
        // Letters match without case, as the file system compares names.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            WildcardMatches(Upper(namePattern), Upper(name))) {
            found.push_back(folder + name);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    // The system lists a folder in no promised order; the runs go in the order of the names.
    std::sort(found.begin(), found.end(),
              [](const std::u16string& a, const std::u16string& b) { return Upper(a) < Upper(b); });
    return found;
}

}  // namespace

bool ExpandWildcards(std::vector<std::u16string>* files, std::u16string* unmatched) {
    std::vector<std::u16string> expanded;
    for (const std::u16string& file : *files) {
        const auto name = reinterpret_cast<const wchar_t*>(file.c_str());
        if (!HasWildcard(file) || GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES) {
            expanded.push_back(file);
            continue;
        }
        const std::vector<std::u16string> found = Matches(file);
        if (found.empty()) {
            *unmatched = file;
            return false;
        }
        expanded.insert(expanded.end(), found.begin(), found.end());
    }
    *files = std::move(expanded);
    return true;
}
