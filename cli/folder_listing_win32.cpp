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
#include <string>

#include "cli/folder_listing.h"
#include "fileops/system_reason.h"

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event,
                                               PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK ioStatus, PVOID information,
                                               ULONG length,
                                               FILE_INFORMATION_CLASS informationClass,
                                               BOOLEAN singleEntry, PUNICODE_STRING fileName,
                                               BOOLEAN restartScan);

namespace {

constexpr ULONG kCaseInsensitiveKernelHandle = 0x240;  // OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE
// FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT
constexpr ULONG kFolderNotFollowed = 0x200021;
constexpr ULONG kShareAll = 7;  // the walk's own removals and renames inside it go on
constexpr ULONG kOpenExisting = 1;
constexpr ACCESS_MASK kListAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ACCESS_MASK kRemoveAccess = DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kNoSuchFile = static_cast<NTSTATUS>(0xC000000F);  // an empty first listing
constexpr NTSTATUS kDirectoryNotEmpty = static_cast<NTSTATUS>(0xC0000101);
constexpr int kInternalClass = 6;
constexpr int kNameClass = 9;  // FileNameInformation
constexpr int kDispositionClass = 13;
constexpr int kAttributeTagClass = 35;
constexpr int kIdBothDirectoryClass = 37;     // FileIdBothDirectoryInformation
constexpr int kVolumeInformationClass = 1;    // FileFsVolumeInformation
constexpr ULONG kMountPointTag = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT: junctions too
constexpr ULONG kListingBytes = 64 * 1024;

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

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

bool FailedWithLastError() {
    NoteSystemReason(SystemReasonOfCode(GetLastError()));
    return false;
}

bool Failed(NTSTATUS status) {
    NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(status)));
    return false;
}

// The name the open folder or file `handle` reports, from its volume's root; false when it
// cannot be read.
bool NameOf(HANDLE handle, std::u16string* name) {
    constexpr ULONG kNameBytes = 4 + 65536;  // FILE_NAME_INFORMATION with the longest name
    auto* information = static_cast<ULONG*>(malloc(kNameBytes));
    IO_STATUS_BLOCK io = {};
    const bool known = information != nullptr &&
                       NtQueryInformationFile(handle, &io, information, kNameBytes,
                                              static_cast<FILE_INFORMATION_CLASS>(kNameClass)) == 0;
    if (known)
        name->assign(reinterpret_cast<const char16_t*>(information + 1), information[0] / 2);
    free(information);
    return known;
}

// Whether the folder `opened`, opened as `name` in the open folder `parent`, is that entry. Under
// Wine a Unix link to a folder put in a listed folder's place since opens as its target, whose
// attributes show no reparse point; only the name the open reports, its target's, tells it.
bool IsEntryOf(HANDLE parent, HANDLE opened, const std::u16string& name) {
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr)
        return true;
    std::u16string above;
    std::u16string own;
    if (!NameOf(parent, &above) || !NameOf(opened, &own))
        return false;
    if (above.empty() || above.back() != u'\\')
        above += u'\\';
    above += name;
    return CompareStringOrdinal(Wide(own), static_cast<int>(own.size()), Wide(above),
                                static_cast<int>(above.size()), TRUE) == CSTR_EQUAL;
}

// Opens the folder `name` of the open folder `parent` (0: `name` is a full path), its last name
// not followed; null with the reason noted when it cannot, or when it is a reparse point or,
// under Wine, a link's target (IsEntryOf).
HANDLE OpenFolder(FolderHandle parent, const std::u16string& name, ACCESS_MASK access) {
    const std::u16string path = parent == 0 ? NativeFolderPath(name) : name;
    UNICODE_STRING counted;
    counted.Length = static_cast<USHORT>(path.size() * 2);
    counted.MaximumLength = static_cast<USHORT>(counted.Length + 2);
    counted.Buffer = const_cast<PWSTR>(Wide(path));
    OBJECT_ATTRIBUTES attributes = {sizeof(OBJECT_ATTRIBUTES),
                                    reinterpret_cast<HANDLE>(parent),
                                    &counted,
                                    kCaseInsensitiveKernelHandle,
                                    nullptr,
                                    nullptr};
    IO_STATUS_BLOCK io = {};
    HANDLE folder = nullptr;
    const NTSTATUS status = NtCreateFile(&folder, access, &attributes, &io, nullptr, 0, kShareAll,
                                         kOpenExisting, kFolderNotFollowed, nullptr, 0);
    if (status != 0) {
        if (NT_SUCCESS(status) && folder != nullptr)
            NtClose(folder);
        Failed(status);
        return nullptr;
    }
    struct {
        ULONG attributes;
        ULONG tag;
    } tag = {};
    const NTSTATUS looked = NtQueryInformationFile(
        folder, &io, &tag, sizeof tag, static_cast<FILE_INFORMATION_CLASS>(kAttributeTagClass));
    const bool reparsePoint = looked == 0 && (tag.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool entry = looked == 0 && !reparsePoint &&
                       (parent == 0 || IsEntryOf(reinterpret_cast<HANDLE>(parent), folder, name));
    if (!entry) {
        NtClose(folder);
        if (looked != 0)
            Failed(looked);
        else
            NoteSystemReason(tag.tag == kMountPointTag ? SystemReason::kMountPoint
                                                       : SystemReason::kSymbolicLink);
        return nullptr;
    }
    return folder;
}

// The identity of the open folder or file `handle`: its volume's serial number and its number
// on that volume; unknown when either cannot be read.
FolderIdentity IdentityOf(HANDLE handle) {
    IO_STATUS_BLOCK io = {};
    // FILE_FS_VOLUME_INFORMATION, its label left out: the serial number is all that is read.
    struct {
        LARGE_INTEGER creationTime;
        ULONG serialNumber;
        ULONG labelLength;
        BOOLEAN supportsObjects;
        WCHAR label[64];
    } volume = {};
    LARGE_INTEGER number = {};
    const NTSTATUS volumeStatus =
        NtQueryVolumeInformationFile(handle, &io, &volume, sizeof volume,
                                     static_cast<FS_INFORMATION_CLASS>(kVolumeInformationClass));
    const bool known =
        NT_SUCCESS(volumeStatus) &&
        NtQueryInformationFile(handle, &io, &number, sizeof number,
                               static_cast<FILE_INFORMATION_CLASS>(kInternalClass)) == 0;
    if (!known)
        return FolderIdentity{};
    return {volume.serialNumber, static_cast<uint64_t>(number.QuadPart), true};
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
                                      static_cast<FILE_INFORMATION_CLASS>(kIdBothDirectoryClass),
                                      FALSE, nullptr, first ? TRUE : FALSE);
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
    return status == kNoMoreFiles || status == kNoSuchFile || Failed(status);
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
    if (!ListEntries(opened, now.device, now.known, entries)) {
        NtClose(opened);
        return false;
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
    IO_STATUS_BLOCK io = {};
    ULONG removeIt = TRUE;
    const NTSTATUS status =
        NtSetInformationFile(folder, &io, &removeIt, sizeof removeIt,
                             static_cast<FILE_INFORMATION_CLASS>(kDispositionClass));
    NtClose(folder);  // the folder goes here
    *holdsSomething = status == kDirectoryNotEmpty;
    return status == 0 || Failed(status);
}
