// System access on the Windows native services (ntdll). Every status is tested for zero only;
// byte counts are compared with the count asked, so a short transfer fails.
#include <windows.h>
#include <winternl.h>

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
}

namespace {

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

constexpr ULONG kCaseInsensitiveKernelHandle = 0x240;  // OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE
// FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE
constexpr ULONG kSynchronousNonDirectory = 0x60;
constexpr ULONG kShareRead = 1;
constexpr ULONG kOpenExisting = 1;  // FILE_OPEN
constexpr ULONG kCreateNew = 2;     // FILE_CREATE
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
constexpr int kRenameClass = 10;
constexpr int kDispositionClass = 13;
constexpr int kAllocationClass = 19;  // FileAllocationInformation
constexpr int kEndOfFileClass = 20;

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

// Opens with the given access and disposition; returns the service's status.
NTSTATUS OpenNative(const char16_t* nativePath, ACCESS_MASK access, ULONG disposition,
                    FileHandle* file) {
    *file = 0;
    const USHORT length = ByteLength(nativePath);
    UNICODE_STRING name;
    name.Length = length;
    name.MaximumLength = static_cast<USHORT>(length + 2);
    name.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(nativePath));
    OBJECT_ATTRIBUTES attributes = {sizeof(OBJECT_ATTRIBUTES),    nullptr, &name,
                                    kCaseInsensitiveKernelHandle, nullptr, nullptr};
    IO_STATUS_BLOCK io = {};
    HANDLE handle = nullptr;
    const NTSTATUS status = NtCreateFile(&handle, access, &attributes, &io, nullptr, 0, kShareRead,
                                         disposition, kSynchronousNonDirectory, nullptr, 0);
    if (!Succeeded(status)) {
        // An informational status still comes with an open handle; do not leak it.
        if (NT_SUCCESS(status) && handle != nullptr)
            NtClose(handle);
        return status;
    }
    *file = reinterpret_cast<FileHandle>(handle);
    return 0;
}

}  // namespace

bool OpenSourceForCipher(const char16_t* nativePath, FileHandle* file) {
    return OpenNative(nativePath, kReadWriteSynchronize, kOpenExisting, file) == 0;
}

bool OpenForReading(const char16_t* nativePath, FileHandle* file) {
    return OpenNative(nativePath, kReadSynchronize, kOpenExisting, file) == 0;
}

bool GlanceAtFile(const char16_t* nativePath, uint8_t* start, uint32_t count, uint64_t* size) {
    FileHandle file = 0;
    const bool read = OpenForReading(nativePath, &file) && QueryFileSize(file, size) &&
                      (*size < count || ReadWhole(file, start, count));
    CloseFile(file);
    return read;
}

bool OpenForShred(const char16_t* nativePath, FileHandle* file) {
    return OpenNative(nativePath, kDeleteWriteSynchronize, kOpenExisting, file) == 0;
}

bool ProbeOutput(const char16_t* nativePath, bool* exists, bool* empty) {
    FileHandle file = 0;
    const NTSTATUS status = OpenNative(nativePath, kWriteSynchronize, kOpenExisting, &file);
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
    return OpenNative(nativePath, kCreateAccess, kCreateNew, file) == 0;
}

bool RenameOutput(FileHandle file, const char16_t* nativePath, bool replace) {
    // FILE_RENAME_INFORMATION with the full native path, which names the target folder.
    const ULONG nameBytes = ByteLength(nativePath);
    const ULONG size = offsetof(FILE_RENAME_INFORMATION, FileName) + nameBytes;
    auto* rename = static_cast<FILE_RENAME_INFORMATION*>(calloc(1, size + sizeof(WCHAR)));
    if (rename == nullptr)
        return false;
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = nameBytes;
    memcpy(rename->FileName, nativePath, nameBytes);
    IO_STATUS_BLOCK io = {};
    const NTSTATUS status = NtSetInformationFile(HandleOf(file), &io, rename, size,
                                                 static_cast<FILE_INFORMATION_CLASS>(kRenameClass));
    free(rename);
    return Succeeded(status);
}

namespace {
NTSTATUS QueryStandardInformation(FileHandle file, StandardInformation* information) {
    IO_STATUS_BLOCK io = {};
    return NtQueryInformationFile(HandleOf(file), &io, information, sizeof *information,
                                  static_cast<FILE_INFORMATION_CLASS>(kStandardInformationClass));
}
}  // namespace

bool QueryFileSize(FileHandle file, uint64_t* endOfFile) {
    StandardInformation information = {};
    if (QueryStandardInformation(file, &information) != 0)
        return false;
    *endOfFile = static_cast<uint64_t>(information.endOfFile.QuadPart);
    return true;
}

bool ReadWhole(FileHandle file, uint8_t* buffer, uint32_t size) {
    IO_STATUS_BLOCK io = {};
    LARGE_INTEGER offset = {};
    return NtReadFile(HandleOf(file), nullptr, nullptr, nullptr, &io, buffer, size, &offset,
                      nullptr) == 0 &&
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
// is reserved, rather than grow the file: a full disk then fails the save part way, and the file
// is left as a wreck that recover gives back.
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
    return status == kNotImplemented || status == kInvalidInfoClass || Succeeded(status);
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
    return NtFlushBuffersFile(HandleOf(file), &io) == 0;
}

bool MarkForDeletion(FileHandle file) {
    IO_STATUS_BLOCK io = {};
    ULONG deleteFile = TRUE;  // the 4-byte true flag; the service reads its first byte
    return NtSetInformationFile(HandleOf(file), &io, &deleteFile, sizeof deleteFile,
                                static_cast<FILE_INFORMATION_CLASS>(kDispositionClass)) == 0;
}

void CloseFile(FileHandle file) {
    if (file != 0)
        NtClose(HandleOf(file));
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
