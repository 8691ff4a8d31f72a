// System access on the Windows native services (ntdll). Every status is tested for zero only;
// byte counts are compared with the count asked, so a short transfer fails.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "fileops/file_access.h"
#include "fileops/system_reason.h"

// ntdll exports that <winternl.h> does not declare.
extern "C" {
NTSTATUS NTAPI NtReadFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                          PIO_STATUS_BLOCK ioStatus, PVOID buffer, ULONG length,
                          PLARGE_INTEGER offset, PULONG key);
NTSTATUS NTAPI NtWriteFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                           PIO_STATUS_BLOCK ioStatus, PVOID buffer, ULONG length,
                           PLARGE_INTEGER offset, PULONG key);
NTSTATUS NTAPI NtAllocateVirtualMemory(HANDLE process, PVOID* base, ULONG_PTR zeroBits,
                                       PSIZE_T size, ULONG allocationType, ULONG protection);
NTSTATUS NTAPI NtFreeVirtualMemory(HANDLE process, PVOID* base, PSIZE_T size, ULONG freeType);
typedef NTSTATUS(NTAPI* UserThreadStart)(PVOID parameter);
NTSTATUS NTAPI RtlCreateUserThread(HANDLE process, PSECURITY_DESCRIPTOR security, BOOLEAN suspended,
                                   ULONG stackZeroBits, SIZE_T stackReserve, SIZE_T stackCommit,
                                   UserThreadStart start, PVOID parameter, PHANDLE thread,
                                   PVOID clientId);
NTSTATUS NTAPI NtTerminateProcess(HANDLE process, NTSTATUS exitStatus);
NTSTATUS NTAPI NtFlushBuffersFile(HANDLE file, PIO_STATUS_BLOCK ioStatus);
BOOLEAN NTAPI RtlEqualUnicodeString(const UNICODE_STRING* one, const UNICODE_STRING* other,
                                    BOOLEAN caseInsensitive);
}

namespace {

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

constexpr ULONG kCaseInsensitiveKernelHandle = 0x240;  // OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE
// FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE
constexpr ULONG kSynchronousNonDirectory = 0x60;
constexpr ULONG kSynchronousDirectory = 0x21;  // FILE_SYNCHRONOUS_IO_NONALERT | FILE_DIRECTORY_FILE
constexpr ULONG kOpenReparsePoint =
    0x200000;  // FILE_OPEN_REPARSE_POINT: the last name not followed
constexpr ULONG kShareRead = 1;
constexpr ULONG kShareAll = 7;
constexpr ACCESS_MASK kReadAttributes = 0x80;  // FILE_READ_ATTRIBUTES, for the checks of an open
constexpr ULONG_PTR kCreated = 2;              // FILE_CREATED in an open's information word
constexpr ULONG kOpenExisting = 1;             // FILE_OPEN
constexpr ULONG kCreateNew = 2;                // FILE_CREATE
// Reading and writing the attributes as well: a result keeps its source's dates.
constexpr ACCESS_MASK kReadWriteSynchronize = 0x100183;
constexpr ACCESS_MASK kReadSynchronize = 0x100001;
constexpr ACCESS_MASK kDeleteWriteSynchronize = 0x110002;
constexpr ACCESS_MASK kWriteSynchronize = 0x100002;
constexpr ACCESS_MASK kCreateAccess = 0x110102;  // delete, write data and attributes, synchronize
constexpr NTSTATUS kNameNotFound = static_cast<NTSTATUS>(0xC0000034);  // no file of that name
constexpr NTSTATUS kPathNotFound = static_cast<NTSTATUS>(0xC000003A);  // no folder of that name
constexpr NTSTATUS kNotImplemented = static_cast<NTSTATUS>(0xC0000002);
constexpr NTSTATUS kInvalidInfoClass = static_cast<NTSTATUS>(0xC0000003);
constexpr int kBasicInformationClass = 4;
constexpr int kStandardInformationClass = 5;
constexpr int kInternalClass = 6;  // FileInternalInformation: the file's number on its volume
constexpr int kNameClass = 9;      // FileNameInformation: the name from the volume's root
constexpr int kRenameClass = 10;
constexpr int kDispositionClass = 13;
constexpr int kAllocationClass = 19;  // FileAllocationInformation
constexpr int kEndOfFileClass = 20;
constexpr int kAttributeTagClass = 35;
// A reparse tag with this bit (links, junctions, volume mount points) names another file; the
// others (compression, deduplication, cloud files) keep the file and have a filter serve its data.
constexpr ULONG kNameSurrogate = 0x20000000;
constexpr ULONG kMountPointTag = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT: junctions too

// FILE_ATTRIBUTE_TAG_INFORMATION.
struct AttributeTag {
    ULONG attributes;
    ULONG tag;
};

// FILE_NAME_INFORMATION with room for the longest name.
constexpr ULONG kNameCapacity = 32768;
struct NameInformation {
    ULONG length;  // in bytes
    WCHAR name[kNameCapacity];
};

// FILE_STANDARD_INFORMATION, the 24-byte block of the size query.
struct StandardInformation {
    LARGE_INTEGER allocationSize;
    LARGE_INTEGER endOfFile;
    ULONG numberOfLinks;
    BOOLEAN deletePending;
    BOOLEAN directory;
};
static_assert(sizeof(StandardInformation) == 24);

// FILE_BASIC_INFORMATION: the dates, in 100 ns since 1601, and the attributes. A date of 0 in a
// set leaves that date as it is.
struct BasicInformation {
    LARGE_INTEGER creationTime;
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    ULONG fileAttributes;
};
static_assert(sizeof(BasicInformation) == 40);

// True for a zero status; otherwise notes the reason for the front end's message.
bool Succeeded(NTSTATUS status) {
    if (status != 0)
        NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(status)));
    return status == 0;
}

HANDLE HandleOf(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

// The length of a path in bytes, computed on 16 bits as the descriptor holds it.
USHORT ByteLength(const char16_t* nativePath) {
    USHORT length = 0;
    for (const char16_t* unit = nativePath; *unit != 0; ++unit) length += 2;
    return length;
}

// The folder a walk holds (file_access.h): its handle, borrowed from the walk, its native path,
// which the paths of the operations are matched against, and the name it reports.
struct HeldFolder {
    HANDLE handle = nullptr;
    char16_t path[kNameCapacity] = {};
    size_t length = 0;
    NameInformation name = {};
};
HeldFolder g_held;

// Where an operation reaches its file from: its last name in the open folder `root` when the
// path names an entry of the held folder, else the whole native path (root null).
struct Place {
    HANDLE root;
    const char16_t* name;
};

Place PlaceOf(const char16_t* nativePath) {
    if (g_held.handle == nullptr)
        return {nullptr, nativePath};
    for (size_t i = 0; i < g_held.length; ++i) {
        if (nativePath[i] != g_held.path[i])
            return {nullptr, nativePath};
    }
    // A root ("\??\C:\") ends with its separator already.
    const bool separated = g_held.path[g_held.length - 1] == u'\\';
    if (!separated && nativePath[g_held.length] != u'\\')
        return {nullptr, nativePath};
    const char16_t* name = nativePath + g_held.length + (separated ? 0 : 1);
    for (const char16_t* unit = name; *unit != 0; ++unit) {
        if (*unit == u'\\' || *unit == u'/')
            return {nullptr, nativePath};
    }
    return {*name == 0 ? nullptr : g_held.handle, *name == 0 ? nativePath : name};
}

UNICODE_STRING CountedName(const char16_t* text, USHORT length) {
    UNICODE_STRING name;
    name.Length = length;
    name.MaximumLength = static_cast<USHORT>(length + 2);
    name.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(text));
    return name;
}

// NtCreateFile on the first `length` bytes of `name`, relative to `root` when it is not null;
// returns the service's status and, on success, the handle and whether it created the file.
NTSTATUS OpenAt(HANDLE root, const char16_t* name, USHORT length, ACCESS_MASK access, ULONG share,
                ULONG disposition, ULONG options, HANDLE* handle, ULONG_PTR* information) {
    UNICODE_STRING counted = CountedName(name, length);
    OBJECT_ATTRIBUTES attributes = {sizeof(OBJECT_ATTRIBUTES),    root,    &counted,
                                    kCaseInsensitiveKernelHandle, nullptr, nullptr};
    IO_STATUS_BLOCK io = {};
    *handle = nullptr;
    const NTSTATUS status = NtCreateFile(handle, access, &attributes, &io, nullptr, 0, share,
                                         disposition, options, nullptr, 0);
    if (!Succeeded(status)) {
        // An informational status still comes with an open handle; do not leak it.
        if (NT_SUCCESS(status) && *handle != nullptr)
            NtClose(*handle);
        *handle = nullptr;
        return status;
    }
    *information = io.Information;
    return 0;
}

NTSTATUS QueryInformation(HANDLE handle, void* information, ULONG size, int informationClass) {
    IO_STATUS_BLOCK io = {};
    return NtQueryInformationFile(handle, &io, information, size,
                                  static_cast<FILE_INFORMATION_CLASS>(informationClass));
}

// Under Wine a Unix symbolic link to a file is no reparse point: every open follows it, and only
// the name the handle then reports, its target's, tells it (docs/security.md). On Windows a link
// is a reparse point, which the open does not follow.
bool LinksShowOnlyByName() {
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// Whether the file `handle` reports the name `folder` then `name`: it is the entry of that
// folder, not a link's target. A lookup that fails says no.
bool ReportsName(HANDLE handle, const NameInformation& folder, const char16_t* name) {
    auto* own = static_cast<NameInformation*>(malloc(sizeof(NameInformation)));
    bool same = own != nullptr && QueryInformation(handle, own, sizeof *own, kNameClass) == 0;
    const ULONG folderLength = folder.length;
    // The folder's name ends with a separator only at a root.
    const bool separated = folderLength != 0 && folder.name[folderLength / 2 - 1] == L'\\';
    const ULONG start = folderLength + (separated ? 0 : 2);
    same = same && own->length == start + ByteLength(name) &&
           (separated || own->name[folderLength / 2] == L'\\');
    if (same) {
        UNICODE_STRING above = CountedName(reinterpret_cast<const char16_t*>(own->name),
                                           static_cast<USHORT>(folderLength));
        UNICODE_STRING wanted = CountedName(reinterpret_cast<const char16_t*>(folder.name),
                                            static_cast<USHORT>(folderLength));
        UNICODE_STRING last = CountedName(reinterpret_cast<const char16_t*>(own->name) + start / 2,
                                          static_cast<USHORT>(own->length - start));
        UNICODE_STRING given = CountedName(name, ByteLength(name));
        same = RtlEqualUnicodeString(&above, &wanted, TRUE) &&
               RtlEqualUnicodeString(&last, &given, TRUE);
    }
    free(own);
    return same;
}

// Whether the file `handle` opened at `place` is the entry of that name, under Wine (above): its
// name is the held folder's, or the folder's of `nativePath` opened as named, then its last name.
bool IsNamedEntry(HANDLE handle, const Place& place, const char16_t* nativePath) {
    if (!LinksShowOnlyByName())
        return true;
    if (place.root != nullptr)
        return ReportsName(handle, g_held.name, place.name);
    const char16_t* last = nativePath;
    for (const char16_t* unit = nativePath; *unit != 0; ++unit) {
        if (*unit == u'\\')
            last = unit + 1;
    }
    // The folder's path keeps its separator at a root ("\??\C:\").
    USHORT folderLength = static_cast<USHORT>((last - nativePath - 1) * 2);
    if (last - nativePath >= 2 && last[-2] == u':')
        folderLength += 2;
    HANDLE folder = nullptr;
    ULONG_PTR information = 0;
    auto* folderName = static_cast<NameInformation*>(malloc(sizeof(NameInformation)));
    bool named = folderName != nullptr &&
                 OpenAt(nullptr, nativePath, folderLength, kReadAttributes | SYNCHRONIZE, kShareAll,
                        kOpenExisting, kSynchronousDirectory, &folder, &information) == 0 &&
                 QueryInformation(folder, folderName, sizeof *folderName, kNameClass) == 0 &&
                 ReportsName(handle, *folderName, last);
    if (folder != nullptr)
        NtClose(folder);
    free(folderName);
    return named;
}

// How many names (hard links) the file has; 0 when it cannot be told.
ULONG NamesOf(HANDLE handle) {
    StandardInformation standard = {};
    return QueryInformation(handle, &standard, sizeof standard, kStandardInformationClass) == 0
               ? standard.numberOfLinks
               : 0;
}

// Whether the existing file `handle`, just opened at `place` without following its last name, is
// what the name shows; false with the reason noted: a link, a junction or a mount point leads
// elsewhere, and in the held folder a `source` must have no other names (hard links show its
// data elsewhere). *throughFilter: a reparse point whose data a filter serves (OpenNative).
bool IsWhatItsNameShows(HANDLE handle, const Place& place, const char16_t* nativePath, bool source,
                        bool* throughFilter) {
    *throughFilter = false;
    AttributeTag tag = {};
    SystemReason refusal = SystemReason::kNone;
    if (!Succeeded(QueryInformation(handle, &tag, sizeof tag, kAttributeTagClass)))
        return false;
    if ((tag.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && (tag.tag & kNameSurrogate) != 0) {
        refusal =
            tag.tag == kMountPointTag ? SystemReason::kMountPoint : SystemReason::kSymbolicLink;
    } else if (!IsNamedEntry(handle, place, nativePath)) {
        refusal = SystemReason::kSymbolicLink;
    } else if (source && place.root != nullptr && NamesOf(handle) != 1) {
        refusal = SystemReason::kOtherNames;
    }
    *throughFilter = (tag.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (refusal != SystemReason::kNone)
        NoteSystemReason(refusal);
    return refusal == SystemReason::kNone;
}

uint64_t FileNumberOf(HANDLE handle) {
    LARGE_INTEGER number = {};
    return QueryInformation(handle, &number, sizeof number, kInternalClass) == 0
               ? static_cast<uint64_t>(number.QuadPart)
               : 0;
}

// Whether the path the file was opened by still leads to it. Under Wine a rename and the removal
// of a marked file at its close go by that path, resolved again, not through the handle: had a
// folder on it been renamed and replaced by a link since, they would move or remove another
// file's name. On Windows they go through the handle.
bool PathStillLeadsHere(HANDLE handle) {
    if (!LinksShowOnlyByName())
        return true;
    auto* path = static_cast<wchar_t*>(malloc(kNameCapacity * sizeof(wchar_t)));
    // "\\?\" and the full path, which "\??\" makes a native one.
    const DWORD length =
        path == nullptr ? 0 : GetFinalPathNameByHandleW(handle, path, kNameCapacity, 0);
    HANDLE again = nullptr;
    ULONG_PTR information = 0;
    bool same = length > 4 && length < kNameCapacity;
    if (same) {
        path[1] = L'?';
        same = OpenAt(nullptr, reinterpret_cast<const char16_t*>(path),
                      static_cast<USHORT>(length * 2), kReadAttributes | SYNCHRONIZE, kShareAll,
                      kOpenExisting, kSynchronousNonDirectory, &again, &information) == 0 &&
               FileNumberOf(again) == FileNumberOf(handle);
    }
    if (again != nullptr)
        NtClose(again);
    free(path);
    if (!same)
        NoteSystemReason(SystemReason::kSymbolicLink);
    return same;
}

// Opens the file at `nativePath`, relative to the held folder when it is one of its entries, with
// the given access and disposition; returns the service's status (a refusal: STATUS_UNSUCCESSFUL,
// its reason noted). The last name is never followed, and an existing file must be what the name
// shows (IsWhatItsNameShows). `source`: a file the run reads or changes.
NTSTATUS OpenNative(const char16_t* nativePath, ACCESS_MASK access, ULONG disposition, bool source,
                    FileHandle* file) {
    constexpr NTSTATUS kRefused = static_cast<NTSTATUS>(0xC0000001);
    *file = 0;
    const Place place = PlaceOf(nativePath);
    const USHORT length = ByteLength(place.name);
    HANDLE handle = nullptr;
    ULONG_PTR information = 0;
    NTSTATUS status =
        OpenAt(place.root, place.name, length, access | kReadAttributes, kShareRead, disposition,
               kSynchronousNonDirectory | kOpenReparsePoint, &handle, &information);
    if (status != 0)
        return status;
    bool throughFilter = false;
    bool accepted = information == kCreated ||
                    IsWhatItsNameShows(handle, place, nativePath, source, &throughFilter);
    // A compressed, deduplicated or cloud file: opened as a reparse point, its data would bypass
    // the filter that serves it. Opened again through the filter, it must be the same file.
    if (accepted && throughFilter) {
        const uint64_t number = FileNumberOf(handle);
        NtClose(handle);
        status = OpenAt(place.root, place.name, length, access | kReadAttributes, kShareRead,
                        disposition, kSynchronousNonDirectory, &handle, &information);
        if (status != 0)
            return status;
        accepted = number != 0 && FileNumberOf(handle) == number;
        if (!accepted)
            NoteSystemReason(SystemReason::kSymbolicLink);
    }
    if (!accepted) {
        NtClose(handle);
        return kRefused;
    }
    *file = reinterpret_cast<FileHandle>(handle);
    return 0;
}

}  // namespace

bool OpenSourceForCipher(const char16_t* nativePath, FileHandle* file) {
    return OpenNative(nativePath, kReadWriteSynchronize, kOpenExisting, true, file) == 0;
}

bool OpenForReading(const char16_t* nativePath, FileHandle* file) {
    return OpenNative(nativePath, kReadSynchronize, kOpenExisting, true, file) == 0;
}

bool GlanceAtFile(const char16_t* nativePath, uint8_t* start, uint32_t count, uint64_t* size) {
    FileHandle file = 0;
    const bool read =
        OpenForReading(nativePath, &file) && QueryFileSize(file, size) &&
        ReadWhole(file, start, static_cast<uint32_t>(std::min<uint64_t>(*size, count)));
    CloseFile(file);
    return read;
}

bool OpenForShred(const char16_t* nativePath, FileHandle* file) {
    return OpenNative(nativePath, kDeleteWriteSynchronize, kOpenExisting, true, file) == 0;
}

bool ProbeOutput(const char16_t* nativePath, bool* exists, bool* empty) {
    FileHandle file = 0;
    const NTSTATUS status = OpenNative(nativePath, kWriteSynchronize, kOpenExisting, false, &file);
    *exists = status == 0;
    uint64_t size = 1;
    if (empty != nullptr)
        *empty = status == 0 && QueryFileSize(file, &size) && size == 0;
    CloseFile(file);
    // A missing folder fails at the create, as it does on POSIX.
    const bool missing = status == kNameNotFound || status == kPathNotFound;
    if (missing)
        ClearSystemReason();
    return status == 0 || missing;
}

// Delete access, so that a failed run removes the file through its handle, and the rename
// needs it too. Windows has no mode bits: the folder's inherited permissions apply.
bool CreateOutput(const char16_t* nativePath, FileHandle, FileHandle* file) {
    return OpenNative(nativePath, kCreateAccess, kCreateNew, false, file) == 0;
}

bool RenameOutput(FileHandle file, const char16_t* nativePath, bool replace) {
    if (!PathStillLeadsHere(HandleOf(file)))
        return false;
    // FILE_RENAME_INFORMATION with the full native path, which names the target folder, or with
    // the held folder and the last name.
    const Place place = PlaceOf(nativePath);
    const ULONG nameBytes = ByteLength(place.name);
    // Never shorter than the structure itself: a one-letter name would make it so, and the
    // service refuses that length (Wine: STATUS_INVALID_PARAMETER).
    const ULONG size = std::max<ULONG>(offsetof(FILE_RENAME_INFORMATION, FileName) + nameBytes,
                                       sizeof(FILE_RENAME_INFORMATION));
    auto* rename = static_cast<FILE_RENAME_INFORMATION*>(calloc(1, size + sizeof(WCHAR)));
    if (rename == nullptr)
        return false;
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = place.root;
    rename->FileNameLength = nameBytes;
    memcpy(rename->FileName, place.name, nameBytes);
    IO_STATUS_BLOCK io = {};
    const NTSTATUS status = NtSetInformationFile(HandleOf(file), &io, rename, size,
                                                 static_cast<FILE_INFORMATION_CLASS>(kRenameClass));
    free(rename);
    return Succeeded(status);
}

namespace {
NTSTATUS QueryStandardInformation(FileHandle file, StandardInformation* information) {
    return QueryInformation(HandleOf(file), information, sizeof *information,
                            kStandardInformationClass);
}
}  // namespace

bool QueryFileSize(FileHandle file, uint64_t* endOfFile) {
    StandardInformation information = {};
    if (!Succeeded(QueryStandardInformation(file, &information)))
        return false;
    *endOfFile = static_cast<uint64_t>(information.endOfFile.QuadPart);
    return true;
}

bool ReadWhole(FileHandle file, uint8_t* buffer, uint32_t size) {
    IO_STATUS_BLOCK io = {};
    LARGE_INTEGER offset = {};
    return Succeeded(NtReadFile(HandleOf(file), nullptr, nullptr, nullptr, &io, buffer, size,
                                &offset, nullptr)) &&
           io.Information == size;
}

bool WriteAt(FileHandle file, uint32_t at, const uint8_t* data, uint32_t size, uint32_t* reached) {
    IO_STATUS_BLOCK io = {};
    LARGE_INTEGER offset = {};
    offset.QuadPart = at;
    const bool succeeded =
        Succeeded(NtWriteFile(HandleOf(file), nullptr, nullptr, nullptr, &io,
                              const_cast<uint8_t*>(data), size, &offset, nullptr));
    // A failed write does not say how much of it reached the file: any of it may have.
    if (reached != nullptr)
        *reached = succeeded ? static_cast<uint32_t>(io.Information) : size;
    return succeeded && io.Information == size;
}

bool SetFileLength(FileHandle file, uint32_t length) {
    IO_STATUS_BLOCK io = {};
    LARGE_INTEGER endOfFile = {};
    endOfFile.QuadPart = length;  // high half always 0
    return Succeeded(NtSetInformationFile(HandleOf(file), &io, &endOfFile, sizeof endOfFile,
                                          static_cast<FILE_INFORMATION_CLASS>(kEndOfFileClass)));
}

// The allocation size, not the end of file: the clusters are taken and the file reads as it did
// (FAT and NTFS; a file that a program has marked sparse keeps its holes, which are not
// reserved here). An allocation below the end of file would cut the file, so it is only raised.
// Where the service does not take the allocation size (Wine 8.0: STATUS_NOT_IMPLEMENTED), no room
// is reserved, rather than grow the file: the volume's free clusters are checked instead.
bool ReserveSpace(FileHandle file, uint32_t length) {
    StandardInformation information = {};
    if (!Succeeded(QueryStandardInformation(file, &information)))
        return false;
    if (static_cast<uint64_t>(information.allocationSize.QuadPart) >= length ||
        static_cast<uint64_t>(information.endOfFile.QuadPart) >= length) {
        return true;
    }
    IO_STATUS_BLOCK io = {};
    LARGE_INTEGER allocation = {};
    allocation.QuadPart = length;
    const NTSTATUS status =
        NtSetInformationFile(HandleOf(file), &io, &allocation, sizeof allocation,
                             static_cast<FILE_INFORMATION_CLASS>(kAllocationClass));
    if (status != kNotImplemented && status != kInvalidInfoClass)
        return Succeeded(status);
    // Nothing reserved: the room is checked instead, in whole clusters, so that a full disk
    // refuses even a growth of a few bytes that needs a new cluster before the first byte.
    FILE_FS_SIZE_INFORMATION disk = {};
    if (!Succeeded(NtQueryVolumeInformationFile(HandleOf(file), &io, &disk, sizeof disk,
                                                FileFsSizeInformation))) {
        return true;  // a volume that tells nothing of itself is not judged
    }
    const uint64_t cluster = uint64_t{disk.SectorsPerAllocationUnit} * disk.BytesPerSector;
    if (cluster == 0)
        return true;
    const uint64_t needed = (length + cluster - 1) / cluster -
                            static_cast<uint64_t>(information.allocationSize.QuadPart) / cluster;
    if (needed <= static_cast<uint64_t>(disk.AvailableAllocationUnits.QuadPart))
        return true;
    NoteSystemReason(SystemReasonOfCode(0xC000007F));  // STATUS_DISK_FULL
    return false;
}

bool QueryFileFacts(FileHandle file, FileFacts* facts) {
    StandardInformation standard = {};
    BasicInformation basic = {};
    IO_STATUS_BLOCK io = {};
    if (!Succeeded(QueryStandardInformation(file, &standard)) ||
        !Succeeded(
            NtQueryInformationFile(HandleOf(file), &io, &basic, sizeof basic,
                                   static_cast<FILE_INFORMATION_CLASS>(kBasicInformationClass)))) {
        return false;
    }
    facts->accessed = basic.lastAccessTime.QuadPart;
    facts->modified = basic.lastWriteTime.QuadPart;
    facts->names = standard.numberOfLinks;
    return true;
}

// Set through the handle that wrote the file: NTFS then leaves the dates alone at its close.
bool SetFileDates(FileHandle file, const FileFacts& facts) {
    BasicInformation basic = {};
    basic.lastAccessTime.QuadPart = facts.accessed;
    basic.lastWriteTime.QuadPart = facts.modified;
    IO_STATUS_BLOCK io = {};
    return Succeeded(
        NtSetInformationFile(HandleOf(file), &io, &basic, sizeof basic,
                             static_cast<FILE_INFORMATION_CLASS>(kBasicInformationClass)));
}

bool TakeOwnerAndMode(const FileFacts&, FileHandle) {
    return true;
}

bool FlushFile(FileHandle file) {
    IO_STATUS_BLOCK io = {};
    return Succeeded(NtFlushBuffersFile(HandleOf(file), &io));
}

bool MarkForDeletion(FileHandle file) {
    if (!PathStillLeadsHere(HandleOf(file)))
        return false;
    IO_STATUS_BLOCK io = {};
    ULONG deleteFile = TRUE;  // the 4-byte true flag; the service reads its first byte
    return Succeeded(NtSetInformationFile(HandleOf(file), &io, &deleteFile, sizeof deleteFile,
                                          static_cast<FILE_INFORMATION_CLASS>(kDispositionClass)));
}

void CloseFile(FileHandle file) {
    if (file != 0)
        NtClose(HandleOf(file));
}

// --- The held folder ----------------------------------------------------------------------

bool HoldFolder(FolderHandle folder, const char16_t* nativePath) {
    LetGoOfFolder();
    size_t length = 0;
    while (nativePath[length] != 0) ++length;
    if (folder == 0 || length == 0 || length >= kNameCapacity)
        return false;
    const HANDLE handle = reinterpret_cast<HANDLE>(folder);
    // Its name, against which IsNamedEntry checks the files opened in it.
    if (LinksShowOnlyByName() &&
        !Succeeded(QueryInformation(handle, &g_held.name, sizeof g_held.name, kNameClass))) {
        return false;
    }
    memcpy(g_held.path, nativePath, (length + 1) * sizeof(char16_t));
    g_held.length = length;
    g_held.handle = handle;
    return true;
}

void LetGoOfFolder() {
    g_held.handle = nullptr;
}

bool AllocateBuffer(uint32_t* size, uint8_t** base) {
    *base = nullptr;
    if (*size == 0)
        return false;
    PVOID memory = nullptr;
    SIZE_T granted = *size;  // rounded up to whole pages by the service
    if (NtAllocateVirtualMemory(kCurrentProcess, &memory, 0, &granted, MEM_RESERVE | MEM_COMMIT,
                                PAGE_READWRITE) != 0) {
        return false;
    }
    *size = static_cast<uint32_t>(granted);
    *base = static_cast<uint8_t*>(memory);
    return true;
}

void FreeBuffer(uint8_t* base) {
    if (base == nullptr)
        return;
    PVOID memory = base;
    SIZE_T size = 0;  // the whole allocation
    NtFreeVirtualMemory(kCurrentProcess, &memory, &size, MEM_RELEASE);
}

// --- Threads -----------------------------------------------------------------------------

namespace {
// The routine and its argument, handed to the new thread. The native start routine is stdcall
// and returns a status, so the caller's routine is called from this entry, not started directly.
struct ThreadStart {
    ThreadRoutine routine;
    uintptr_t argument;
};

NTSTATUS NTAPI ThreadEntry(PVOID parameter) {
    const ThreadStart copy = *static_cast<ThreadStart*>(parameter);
    free(parameter);
    copy.routine(copy.argument);
    return 0;
}

ThreadHandle Start(ThreadRoutine routine, uintptr_t argument) {
    auto* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
    if (start == nullptr)
        return 0;
    *start = {routine, argument};
    HANDLE thread = nullptr;
    if (RtlCreateUserThread(kCurrentProcess, nullptr, FALSE, 0, 0, 0, ThreadEntry, start, &thread,
                            nullptr) != 0) {
        free(start);
        return 0;
    }
    return reinterpret_cast<ThreadHandle>(thread);
}
}  // namespace

bool StartThread(ThreadRoutine routine, uintptr_t argument) {
    const ThreadHandle thread = Start(routine, argument);
    if (thread == 0)
        return false;
    NtClose(reinterpret_cast<HANDLE>(thread));
    return true;
}

ThreadHandle StartJoinableThread(ThreadRoutine routine, uintptr_t argument) {
    return Start(routine, argument);
}

void JoinThread(ThreadHandle thread) {
    if (thread == 0)
        return;
    NtWaitForSingleObject(reinterpret_cast<HANDLE>(thread), FALSE, nullptr);
    NtClose(reinterpret_cast<HANDLE>(thread));
}

void EndProgram() {
    for (;;) NtTerminateProcess(kCurrentProcess, 0);
}
