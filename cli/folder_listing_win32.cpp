// The walk's view of folders on Windows, through the native services: each folder is opened
// relative to its parent's open folder, never by a path resolved again, and a reparse point
// (symbolic link, junction, mount point of another volume) is never entered or opened, so a walk
// cannot leave its volume; the names come in ordinal order, unit by unit. A folder's identity is
// its volume's serial number and its file number: a folder swapped since its parent's listing
// (under Wine, a Unix link put in its place opens as its target) is refused.
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "cli/folder_listing.h"
#include "fileops/nt_file_win32.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event,
                                               PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK ioStatus, PVOID information,
                                               ULONG length,
                                               FILE_INFORMATION_CLASS informationClass,
                                               BOOLEAN singleEntry, PUNICODE_STRING fileName,
                                               BOOLEAN restartScan);

namespace {

constexpr ACCESS_MASK kListAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ACCESS_MASK kRemoveAccess = DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kNoSuchFile = static_cast<NTSTATUS>(0xC000000F);  // an empty first listing
constexpr NTSTATUS kDirectoryNotEmpty = static_cast<NTSTATUS>(0xC0000101);
constexpr ULONG kListingBytes = 64 * 1024;

// A drive path of MAX_PATH units or more is looked at through "\\?\": its files are too long for
// a run, which says so for each.
std::u16string ListablePath(const std::u16string& full) {
    const bool drivePath = full.size() >= 3 && full[1] == u':' && full[2] == u'\\';
    return drivePath && full.size() + 2 >= MAX_PATH ? u"\\\\?\\" + full : full;
}

// The native path of a full path: "\??\" before a drive path, in place of "\\?\" or "\\.\", and
// "\??\UNC\" in place of the two separators of a network path. The native services take any
// length.
std::u16string NativeFolderPath(const std::u16string& full) {
    if (full.size() >= 4 && full[0] == u'\\' && full[1] == u'\\' &&
        (full[2] == u'?' || full[2] == u'.') && full[3] == u'\\') {
        return u"\\??\\" + full.substr(4);
    }
    if (full.size() >= 2 && full[0] == u'\\' && full[1] == u'\\')
        return u"\\??\\UNC\\" + full.substr(2);
    return u"\\??\\" + full;
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

// Opens the folder `name` of the open folder `parent` (0: `name` is a full path), its last name
// not followed, sharing all access, so that the walk's own removals and renames inside it go
// on; null with the reason noted when it cannot, or when it is a reparse point or, under Wine, a
// Unix link to a folder put in a listed folder's place since, which opens as its target with no
// reparse point: only the name the open reports, its target's, tells it.
HANDLE OpenFolder(FolderHandle parent, const std::u16string& name, ACCESS_MASK access) {
    const std::u16string path = parent == 0 ? NativeFolderPath(name) : name;
    HANDLE folder = nullptr;
    ULONG_PTR information = 0;
    if (OpenAt(reinterpret_cast<HANDLE>(parent), path.c_str(), static_cast<USHORT>(path.size() * 2),
               access, kShareAll, FILE_OPEN, kSynchronousDirectory | FILE_OPEN_REPARSE_POINT,
               &folder, &information) != 0) {
        return nullptr;
    }
    FILE_ATTRIBUTE_TAG_INFORMATION tag = {};
    const bool looked =
        Succeeded(QueryInformation(folder, &tag, sizeof tag, FileAttributeTagInformation));
    const bool reparsePoint = looked && (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool entry = looked && !reparsePoint &&
                       (parent == 0 || !LinksShowOnlyByName() ||
                        ReportsNameIn(folder, reinterpret_cast<HANDLE>(parent), name.c_str()));
    if (!entry) {
        NtClose(folder);
        if (looked)
            NoteSystemReason(tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT
                                 ? SystemReason::kMountPoint
                                 : SystemReason::kSymbolicLink);
        return nullptr;
    }
    return folder;
}

// The identity of the open folder or file `handle`: its volume's serial number and its number
// on that volume; unknown when either cannot be read.
FolderIdentity IdentityOf(HANDLE handle) {
    IO_STATUS_BLOCK io = {};
    // With room for a label, though the serial number is all that is read.
    union {
        FILE_FS_VOLUME_INFORMATION information;
        WCHAR room[sizeof(FILE_FS_VOLUME_INFORMATION) / 2 + 64];
    } volume = {};
    LARGE_INTEGER number = {};
    const NTSTATUS volumeStatus =
        NtQueryVolumeInformationFile(handle, &io, &volume, sizeof volume, FileFsVolumeInformation);
    const bool known = NT_SUCCESS(volumeStatus) && QueryInformation(handle, &number, sizeof number,
                                                                    FileInternalInformation) == 0;
    if (!known)
        return FolderIdentity{};
    return {volume.information.VolumeSerialNumber, static_cast<uint64_t>(number.QuadPart), true};
}

// Appends the entries of the open folder `folder`, on the volume `serialNumber`, to `entries`.
bool ListEntries(HANDLE folder, uint64_t serialNumber, bool serialKnown,
                 std::vector<FolderEntry>* entries) {
    void* buffer = malloc(kListingBytes);
    if (buffer == nullptr)
        return false;
    NTSTATUS status = 0;
    for (bool first = true; status == 0; first = false) {
        IO_STATUS_BLOCK io = {};
        status = NtQueryDirectoryFile(folder, nullptr, nullptr, nullptr, &io, buffer, kListingBytes,
                                      FileIdBothDirectoryInformation, FALSE, nullptr,
                                      first ? TRUE : FALSE);
        if (status != 0)
            break;
        const auto* at = static_cast<const unsigned char*>(buffer);
        for (;;) {
            const auto* found = reinterpret_cast<const FILE_ID_BOTH_DIR_INFORMATION*>(at);
            const std::u16string name(reinterpret_cast<const char16_t*>(found->FileName),
                                      found->FileNameLength / 2);
            if (name != u"." && name != u"..") {
                FolderEntry entry;
                entry.name = name;
                // Big-endian units: byte order is ordinal order.
                for (char16_t unit : name) {
                    entry.sortKey += static_cast<char>(unit >> 8);
                    entry.sortKey += static_cast<char>(unit & 0xFF);
                }
                entry.type = TypeOf(found->FileAttributes);
                // A file system without file numbers gives 0 or -1: the folder is not checked.
                const uint64_t number = static_cast<uint64_t>(found->FileId.QuadPart);
                if (entry.type == EntryType::kFolder && serialKnown && number != 0 &&
                    number != UINT64_MAX) {
                    entry.identity = {serialNumber, number, true};
                }
                entries->push_back(std::move(entry));
            }
            if (found->NextEntryOffset == 0)
                break;
            at += found->NextEntryOffset;
        }
    }
    free(buffer);
    return status == kNoMoreFiles || status == kNoSuchFile || Succeeded(status);
}

// --- Under Wine: the Unix mounts -------------------------------------------------------------
// Wine shows a Unix mount point, a bind mount of the same file system too, as a plain folder: no
// reparse point, and a bind mount on its file system's volume. So under Wine the walk reads the
// mount table once (/proc/self/mountinfo, through Wine's own name for it) and takes a folder whose
// Unix name (Wine's wine_get_unix_file_name) is a mount point for one, as Linux does.

using UnixNameRoutine = char*(__cdecl*)(const wchar_t* dosName);
using DosNameRoutine = wchar_t*(__cdecl*)(const char* unixName);

struct WineMounts {
    bool looked = false;
    UnixNameRoutine unixName = nullptr;  // null: not under Wine
    bool known = false;                  // the table was read
    std::set<std::string> points;
    // The mounts' roots as the listings show them (volume, file number): a folder's Unix name
    // may lead through a link (a drive's own, C: to the prefix's drive_c) where the table's never
    // does. A bind mount's source has its root's identity too, and is taken for one: never
    // entered rather than ever entered wrongly.
    std::set<std::pair<uint64_t, uint64_t>> roots;
};

// A mount table's field, with its octal escapes ("\040" for a space) undone.
std::string Unescaped(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            text += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

// The mount table, read whole through `dosName` (a Wine path of /proc/self/mountinfo).
bool ReadMountTable(const wchar_t* dosName, std::set<std::string>* points) {
    const HANDLE table = CreateFileW(dosName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (table == INVALID_HANDLE_VALUE)
        return false;
    std::string text;
    char chunk[4096];
    DWORD count = 0;
    while (ReadFile(table, chunk, sizeof chunk, &count, nullptr) && count > 0)
        text.append(chunk, count);
    CloseHandle(table);
    // Each line: id, parent id, device, root, mount point, ...
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        size_t field = start;
        for (int skip = 0; skip < 4 && field < end; ++skip)
            field = std::min(text.find(' ', field), end) + 1;
        if (field < end)
            points->insert(Unescaped(text.substr(field, text.find(' ', field) - field)));
        start = end + 1;
    }
    return !points->empty();
}

const WineMounts& Mounts() {
    static WineMounts mounts;
    if (!mounts.looked) {
        mounts.looked = true;
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        mounts.unixName = reinterpret_cast<UnixNameRoutine>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
        const auto dosName = reinterpret_cast<DosNameRoutine>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")));
        wchar_t* table = dosName == nullptr ? nullptr : dosName("/proc/self/mountinfo");
        mounts.known = table != nullptr && ReadMountTable(table, &mounts.points);
        if (table != nullptr)
            HeapFree(GetProcessHeap(), 0, table);
        for (const std::string& point : mounts.points) {
            wchar_t* root = dosName(point.c_str());
            const HANDLE opened =
                root == nullptr ? INVALID_HANDLE_VALUE
                                : CreateFileW(root, FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (root != nullptr)
                HeapFree(GetProcessHeap(), 0, root);
            if (opened == INVALID_HANDLE_VALUE)
                continue;
            const FolderIdentity identity = IdentityOf(opened);
            if (identity.known)
                mounts.roots.insert({identity.device, identity.inode});
            CloseHandle(opened);
        }
    }
    return mounts;
}

// The Unix name of the open folder `folder` under Wine; false when it cannot be told.
bool UnixNameOf(HANDLE folder, std::string* name) {
    wchar_t dos[kNameCapacity];
    const DWORD length = GetFinalPathNameByHandleW(folder, dos, kNameCapacity, VOLUME_NAME_DOS);
    if (length == 0 || length >= kNameCapacity || Mounts().unixName == nullptr)
        return false;
    // "\\?\Z:\..." as Wine gives it, without its prefix.
    const wchar_t* path = wcsncmp(dos, L"\\\\?\\", 4) == 0 ? dos + 4 : dos;
    char* unix = Mounts().unixName(path);
    if (unix == nullptr)
        return false;
    *name = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    if (name->size() > 1 && name->back() == '/')
        name->pop_back();
    return true;
}

// Under Wine, whether the folder of that Unix name or identity is a mount point.
bool IsWineMount(const std::string& unixName, const FolderIdentity& identity) {
    return Mounts().points.count(unixName) != 0 ||
           (identity.known && Mounts().roots.count({identity.device, identity.inode}) != 0);
}

// Under Wine, whether the entry `entry` of the folder whose Unix name is `folder` is a mount
// point; always true when the mount table or the name could not be read, so that the walk never
// enters what it cannot tell.
bool IsWineMountPoint(const std::string& folder, bool folderKnown, const FolderEntry& entry) {
    return !Mounts().known || !folderKnown ||
           IsWineMount((folder == "/" ? folder : folder + "/") + Utf16ToUtf8(entry.name),
                       entry.identity);
}

bool UnderWine() {
    return Mounts().unixName != nullptr;
}

}  // namespace

bool LookAtOperand(const std::u16string& full, EntryType* type, FolderIdentity* identity) {
    const DWORD attributes =
        GetFileAttributesW(reinterpret_cast<const wchar_t*>(ListablePath(full).c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        NoteSystemReason(SystemReasonOfCode(GetLastError()));
        return false;
    }
    *type = TypeOf(attributes);
    *identity = FolderIdentity{};
    return true;
}

bool OpenAndListFolder(FolderHandle parent, const std::u16string& name,
                       const FolderIdentity& identity, FolderHandle* folder,
                       std::vector<FolderEntry>* entries) {
    const HANDLE opened = OpenFolder(parent, name, kListAccess);
    if (opened == nullptr)
        return false;
    const FolderIdentity now = IdentityOf(opened);
    // Another folder under the listed name since: the walk does not go there.
    if (identity.known &&
        (!now.known || now.device != identity.device || now.inode != identity.inode)) {
        NtClose(opened);
        NoteSystemReason(SystemReason::kNoSuchFile);
        return false;
    }
    // Under Wine a mount shows as a plain folder: its own entry, and each folder in it, is
    // looked up in the mount table.
    std::string unixFolder;
    const bool unixKnown = UnderWine() && UnixNameOf(opened, &unixFolder);
    if (UnderWine() && parent != 0 && (!unixKnown || IsWineMount(unixFolder, now))) {
        NtClose(opened);
        NoteSystemReason(SystemReason::kMountPoint);
        return false;
    }
    if (!ListEntries(opened, now.device, now.known, entries)) {
        NtClose(opened);
        return false;
    }
    for (FolderEntry& entry : *entries) {
        if (UnderWine() && entry.type == EntryType::kFolder &&
            IsWineMountPoint(unixFolder, unixKnown, entry)) {
            entry.type = EntryType::kOtherFileSystem;
        }
    }
    *folder = reinterpret_cast<FolderHandle>(opened);
    return true;
}

void CloseFolder(FolderHandle folder) {
    if (folder != 0)
        NtClose(reinterpret_cast<HANDLE>(folder));
}

bool RemoveEmptyFolder(FolderHandle parent, const std::u16string& name, bool* holdsSomething) {
    *holdsSomething = false;
    const HANDLE folder = OpenFolder(parent, name, kRemoveAccess);
    if (folder == nullptr)
        return false;
    ULONG removeIt = TRUE;
    const NTSTATUS status =
        SetInformation(folder, &removeIt, sizeof removeIt, FileDispositionInformation);
    NtClose(folder);  // the folder goes here
    *holdsSomething = status == kDirectoryNotEmpty;
    return Succeeded(status);
}
