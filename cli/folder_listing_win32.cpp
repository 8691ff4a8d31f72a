// The walk's view of folders on Windows: a reparse point (symbolic link, junction, mount point
// of another volume) is never entered or opened, so a walk cannot leave its volume; the names
// come in ordinal order, unit by unit.
#include <windows.h>

#include <string>

#include "cli/folder_listing.h"
#include "fileops/system_reason.h"

namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A drive path of MAX_PATH units or more is listed through "\\?\": its files are too long for a
// run, which says so for each.
std::u16string ListablePath(const std::u16string& full) {
    const bool drivePath = full.size() >= 3 && full[1] == u':' && full[2] == u'\\';
    return drivePath && full.size() + 2 >= MAX_PATH ? u"\\\\?\\" + full : full;
}

EntryType TypeOf(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return EntryType::kLink;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EntryType::kFolder;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
        return EntryType::kSpecial;
    return EntryType::kFile;
}

bool FailedWithLastError() {
    NoteSystemReason(SystemReasonOfCode(GetLastError()));
    return false;
}

}  // namespace

bool LookAtOperand(const std::u16string& full, EntryType* type, FolderIdentity* identity) {
    const DWORD attributes = GetFileAttributesW(Wide(ListablePath(full)));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FailedWithLastError();
    *type = TypeOf(attributes);
    *identity = FolderIdentity{};
    return true;
}

bool ListFolder(const std::u16string& full, const FolderIdentity&,
                std::vector<FolderEntry>* entries) {
    std::u16string pattern = ListablePath(full);
    if (pattern.back() != u'\\')
        pattern += u'\\';
    pattern += u'*';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(Wide(pattern), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || FailedWithLastError();
    do {
        const std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
        if (name == u"." || name == u"..")
            continue;
        FolderEntry entry;
        entry.name = name;
        // Big-endian units: byte order is ordinal order.
        for (char16_t unit : name) {
            entry.sortKey += static_cast<char>(unit >> 8);
            entry.sortKey += static_cast<char>(unit & 0xFF);
        }
        entry.type = TypeOf(found.dwFileAttributes);
        entries->push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    if (!complete)
        FailedWithLastError();
    FindClose(search);
    return complete;
}

bool RemoveEmptyFolder(const std::u16string& full, bool* holdsSomething) {
    *holdsSomething = false;
    if (RemoveDirectoryW(Wide(ListablePath(full))))
        return true;
    *holdsSomething = GetLastError() == ERROR_DIR_NOT_EMPTY;
    return FailedWithLastError();
}
