// Opening on the Windows native services (ntdll): the last name is never followed, and an
// existing file must be what its name shows.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fileops/file_data.h"
#include "fileops/file_open.h"
#include "fileops/nt_file_win32.h"
#include "fileops/system_reason.h"

// An ntdll export that <winternl.h> does not declare.
extern "C" {
BOOLEAN NTAPI RtlEqualUnicodeString(const UNICODE_STRING* one, const UNICODE_STRING* other,
                                    BOOLEAN caseInsensitive);
}

namespace {

// The folder a walk holds (file_open.h): its handle, borrowed from the walk, its native path,
// which the paths of the operations are matched against, and the name it reports.
struct HeldFolder {
    HANDLE handle = nullptr;
    char16_t path[kNameCapacity] = {};
    size_t length = 0;
    NameInformation name = {};
};
HeldFolder g_held;

UNICODE_STRING CountedName(const char16_t* text, USHORT length) {
    UNICODE_STRING name;
    name.Length = length;
    name.MaximumLength = static_cast<USHORT>(length + 2);
    name.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(text));
    return name;
}
}  // namespace

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

NTSTATUS OpenAt(HANDLE root, const char16_t* name, USHORT length, ACCESS_MASK access, ULONG share,
                ULONG disposition, ULONG options, HANDLE* handle, ULONG_PTR* information) {
    UNICODE_STRING counted = CountedName(name, length);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               root, nullptr);
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

// On Windows a link is a reparse point, which the open does not follow.
bool LinksShowOnlyByName() {
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

uint64_t FileNumberOf(HANDLE handle) {
    LARGE_INTEGER number = {};
    return QueryInformation(handle, &number, sizeof number, FileInternalInformation) == 0
               ? static_cast<uint64_t>(number.QuadPart)
               : 0;
}

namespace {
// Whether the file `handle` reports the name `folder` then `name`: it is the entry of that
// folder, not a link's target. A lookup that fails says no.
bool ReportsName(HANDLE handle, const NameInformation& folder, const char16_t* name) {
    auto* own = static_cast<NameInformation*>(malloc(sizeof(NameInformation)));
    bool same =
        own != nullptr && QueryInformation(handle, own, sizeof *own, FileNameInformation) == 0;
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
}  // namespace

bool ReportsNameIn(HANDLE handle, HANDLE folder, const char16_t* name) {
    auto* folderName = static_cast<NameInformation*>(malloc(sizeof(NameInformation)));
    const bool named =
        folderName != nullptr &&
        QueryInformation(folder, folderName, sizeof *folderName, FileNameInformation) == 0 &&
        ReportsName(handle, *folderName, name);
    free(folderName);
    return named;
}

namespace {

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
    const bool named =
        OpenAt(nullptr, nativePath, folderLength, FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
               FILE_OPEN, kSynchronousDirectory, &folder, &information) == 0 &&
        ReportsNameIn(handle, folder, last);
    if (folder != nullptr)
        NtClose(folder);
    return named;
}

// How many names (hard links) the file has; 0 when it cannot be told.
ULONG NamesOf(HANDLE handle) {
    FILE_STANDARD_INFORMATION standard = {};
    return QueryInformation(handle, &standard, sizeof standard, FileStandardInformation) == 0
               ? standard.NumberOfLinks
               : 0;
}

// Whether the existing file `handle`, just opened at `place` without following its last name, is
// what the name shows; false with the reason noted: a link, a junction or a mount point leads
// elsewhere, and in the held folder a `source` must have no other names (hard links show its
// data elsewhere). *throughFilter: a reparse point whose data a filter serves (OpenNative).
bool IsWhatItsNameShows(HANDLE handle, const Place& place, const char16_t* nativePath, bool source,
                        bool* throughFilter) {
    *throughFilter = false;
    FILE_ATTRIBUTE_TAG_INFORMATION tag = {};
    SystemReason refusal = SystemReason::kNone;
    if (!Succeeded(QueryInformation(handle, &tag, sizeof tag, FileAttributeTagInformation)))
        return false;
    // A name surrogate (a link, a junction, a volume mount point) names another file; the other
    // reparse points (compression, deduplication, cloud files) keep the file and have a filter
    // serve its data.
    if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        IsReparseTagNameSurrogate(tag.ReparseTag)) {
        refusal = tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT ? SystemReason::kMountPoint
                                                               : SystemReason::kSymbolicLink;
    } else if (!IsNamedEntry(handle, place, nativePath)) {
        refusal = SystemReason::kSymbolicLink;
    } else if (source && place.root != nullptr && NamesOf(handle) != 1) {
        refusal = SystemReason::kOtherNames;
    }
    *throughFilter = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (refusal != SystemReason::kNone)
        NoteSystemReason(refusal);
    return refusal == SystemReason::kNone;
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
    NTSTATUS status = OpenAt(
        place.root, place.name, length, access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, disposition,
        kSynchronousNonDirectory | FILE_OPEN_REPARSE_POINT, &handle, &information);
    if (status != 0)
        return status;
    bool throughFilter = false;
    bool accepted = information == FILE_CREATED ||
                    IsWhatItsNameShows(handle, place, nativePath, source, &throughFilter);
    // A compressed, deduplicated or cloud file: opened as a reparse point, its data would bypass
    // the filter that serves it. Opened again through the filter, it must be the same file.
    if (accepted && throughFilter) {
        const uint64_t number = FileNumberOf(handle);
        NtClose(handle);
        status =
            OpenAt(place.root, place.name, length, access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
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
    return OpenNative(nativePath, kReadWriteSynchronize, FILE_OPEN, true, file) == 0;
}

bool OpenForReading(const char16_t* nativePath, FileHandle* file) {
    return OpenNative(nativePath, kReadSynchronize, FILE_OPEN, true, file) == 0;
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
    return OpenNative(nativePath, kDeleteWriteSynchronize, FILE_OPEN, true, file) == 0;
}

bool ProbeOutput(const char16_t* nativePath, bool* exists, bool* empty) {
    FileHandle file = 0;
    const NTSTATUS status = OpenNative(nativePath, kWriteSynchronize, FILE_OPEN, false, &file);
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
    return OpenNative(nativePath, kCreateAccess, FILE_CREATE, false, file) == 0;
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
        !Succeeded(
            QueryInformation(handle, &g_held.name, sizeof g_held.name, FileNameInformation))) {
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
