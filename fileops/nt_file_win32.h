// What the Windows pieces of system access share, private to them: the ntdll services and
// information classes they call, the file information blocks, where a path is reached from while
// a walk holds a folder, and the checks that a name still leads to its file. Every status is
// tested for zero only; byte counts are compared with the count asked, so a short transfer
// fails. Defined in file_open_win32.cpp unless noted.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <cstdint>

#include "fileops/file_open.h"
#include "fileops/system_reason.h"

inline const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

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
inline bool Succeeded(NTSTATUS status) {
    if (status != 0)
        NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(status)));
    return status == 0;
}

inline HANDLE HandleOf(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

// The length of a path in bytes, computed on 16 bits as the descriptor holds it.
inline USHORT ByteLength(const char16_t* nativePath) {
    USHORT length = 0;
    for (const char16_t* unit = nativePath; *unit != 0; ++unit) length += 2;
    return length;
}

inline NTSTATUS QueryInformation(HANDLE handle, void* information, ULONG size,
                                 int informationClass) {
    IO_STATUS_BLOCK io = {};
    return NtQueryInformationFile(handle, &io, information, size,
                                  static_cast<FILE_INFORMATION_CLASS>(informationClass));
}

inline NTSTATUS SetInformation(HANDLE handle, void* information, ULONG size, int informationClass) {
    IO_STATUS_BLOCK io = {};
    return NtSetInformationFile(handle, &io, information, size,
                                static_cast<FILE_INFORMATION_CLASS>(informationClass));
}

inline NTSTATUS QueryStandardInformation(FileHandle file, StandardInformation* information) {
    return QueryInformation(HandleOf(file), information, sizeof *information,
                            kStandardInformationClass);
}

// Where an operation reaches its file from: its last name in the open folder `root` when the
// path names an entry of the held folder, else the whole native path (root null).
struct Place {
    HANDLE root;
    const char16_t* name;
};
Place PlaceOf(const char16_t* nativePath);

// NtCreateFile on the first `length` bytes of `name`, relative to `root` when it is not null;
// returns the service's status and, on success, the handle and whether it created the file.
NTSTATUS OpenAt(HANDLE root, const char16_t* name, USHORT length, ACCESS_MASK access, ULONG share,
                ULONG disposition, ULONG options, HANDLE* handle, ULONG_PTR* information);
// Under Wine a Unix symbolic link to a file is no reparse point: every open follows it, and only
// the name the handle then reports, its target's, tells it (docs/security.md).
bool LinksShowOnlyByName();
// The file's number on its volume; 0 when it cannot be told.
uint64_t FileNumberOf(HANDLE handle);
// Whether the file `handle` reports the name of the open folder `folder` then `name`: it is the
// entry of that folder, not a link's target. A lookup that fails says no.
bool ReportsNameIn(HANDLE handle, HANDLE folder, const char16_t* name);
// From file_naming_win32.cpp: whether the path the file was opened by still leads to it; false
// with the reason noted.
bool PathStillLeadsHere(HANDLE handle);
