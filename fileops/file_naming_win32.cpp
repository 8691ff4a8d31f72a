// Naming on the Windows native services: the rename and the removal at the close go through
// the handle, once the path it was opened by is seen to lead to it still.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "fileops/file_naming.h"
#include "fileops/nt_file_win32.h"
#include "fileops/system_reason.h"

// Under Wine a rename and the removal of a marked file at its close go by the path the file was
// opened by, resolved again, not through the handle: had a folder on it been renamed and replaced
// by a link since, they would move or remove another file's name. On Windows they go through the
// handle.
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
                      static_cast<USHORT>(length * 2), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                      kShareAll, FILE_OPEN, kSynchronousNonDirectory, &again, &information) == 0 &&
               FileNumberOf(again) == FileNumberOf(handle);
    }
    if (again != nullptr)
        NtClose(again);
    free(path);
    if (!same)
        NoteSystemReason(SystemReason::kSymbolicLink);
    return same;
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
    if (rename == nullptr) {
        NoteSystemReason(SystemReason::kNone);  // no memory: no reason of the file's
        return false;
    }
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = place.root;
    rename->FileNameLength = nameBytes;
    memcpy(rename->FileName, place.name, nameBytes);
    const NTSTATUS status = SetInformation(HandleOf(file), rename, size, FileRenameInformation);
    free(rename);
    return Succeeded(status);
}

bool MarkForDeletion(FileHandle file) {
    if (!PathStillLeadsHere(HandleOf(file)))
        return false;
    ULONG deleteFile = TRUE;  // the 4-byte true flag; the service reads its first byte
    return Succeeded(
        SetInformation(HandleOf(file), &deleteFile, sizeof deleteFile, FileDispositionInformation));
}
