// A file's bytes and facts on the Windows native services, through its handle.
#include <windows.h>
#include <winternl.h>

#include "fileops/file_data.h"
#include "fileops/nt_file_win32.h"
#include "fileops/system_reason.h"

// ntdll exports that <winternl.h> does not declare.
extern "C" {
NTSTATUS NTAPI NtReadFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                          PIO_STATUS_BLOCK ioStatus, PVOID buffer, ULONG length,
                          PLARGE_INTEGER offset, PULONG key);
NTSTATUS NTAPI NtWriteFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                           PIO_STATUS_BLOCK ioStatus, PVOID buffer, ULONG length,
                           PLARGE_INTEGER offset, PULONG key);
NTSTATUS NTAPI NtFlushBuffersFile(HANDLE file, PIO_STATUS_BLOCK ioStatus);
}

bool QueryFileSize(FileHandle file, uint64_t* endOfFile) {
    FILE_STANDARD_INFORMATION information = {};
    if (!Succeeded(QueryStandardInformation(file, &information)))
        return false;
    *endOfFile = static_cast<uint64_t>(information.EndOfFile.QuadPart);
    return true;
}

bool ReadWhole(FileHandle file, uint8_t* buffer, uint32_t size) {
    IO_STATUS_BLOCK io = {};
    LARGE_INTEGER offset = {};
    if (!Succeeded(NtReadFile(HandleOf(file), nullptr, nullptr, nullptr, &io, buffer, size, &offset,
                              nullptr))) {
        return false;
    }
    // The file ended first: no reason of the system's, and none older shown with it.
    if (io.Information != size)
        NoteSystemReason(SystemReason::kNone);
    return io.Information == size;
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
    if (succeeded && io.Information != size)
        NoteSystemReason(SystemReason::kNone);
    return succeeded && io.Information == size;
}

bool SetFileLength(FileHandle file, uint32_t length) {
    LARGE_INTEGER endOfFile = {};
    endOfFile.QuadPart = length;  // high half always 0
    return Succeeded(
        SetInformation(HandleOf(file), &endOfFile, sizeof endOfFile, FileEndOfFileInformation));
}

bool QueryFileFacts(FileHandle file, FileFacts* facts) {
    FILE_STANDARD_INFORMATION standard = {};
    FILE_BASIC_INFORMATION basic = {};
    if (!Succeeded(QueryStandardInformation(file, &standard)) ||
        !Succeeded(QueryInformation(HandleOf(file), &basic, sizeof basic, FileBasicInformation))) {
        return false;
    }
    facts->accessed = basic.LastAccessTime.QuadPart;
    facts->modified = basic.LastWriteTime.QuadPart;
    facts->names = standard.NumberOfLinks;
    return true;
}

// Set through the handle that wrote the file: NTFS then leaves the dates alone at its close.
bool SetFileDates(FileHandle file, const FileFacts& facts) {
    FILE_BASIC_INFORMATION basic = {};
    basic.LastAccessTime.QuadPart = facts.accessed;
    basic.LastWriteTime.QuadPart = facts.modified;
    return Succeeded(SetInformation(HandleOf(file), &basic, sizeof basic, FileBasicInformation));
}

bool TakeOwnerAndMode(const FileFacts&, FileHandle) {
    return true;
}

bool FlushFile(FileHandle file) {
    IO_STATUS_BLOCK io = {};
    return Succeeded(NtFlushBuffersFile(HandleOf(file), &io));
}
