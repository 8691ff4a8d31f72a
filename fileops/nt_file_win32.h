// What the Windows pieces of system access share, private to them: the ntdll services they
// call, with <winternl.h>'s information classes and blocks, where a path is reached from while a
// walk holds a folder, and the checks that a name still leads to its file. Every status is
// tested for zero only; byte counts are compared with the count asked, so a short transfer
// fails. Defined in file_open_win32.cpp unless noted.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <cstdint>

#include "fileops/file_open.h"
#include "fileops/system_reason.h"

inline const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

constexpr ULONG kSynchronousNonDirectory = FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE;
constexpr ULONG kSynchronousDirectory = FILE_SYNCHRONOUS_IO_NONALERT | FILE_DIRECTORY_FILE;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
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

// FILE_NAME_INFORMATION with room for the longest name.
constexpr ULONG kNameCapacity = 32768;
struct NameInformation {
    ULONG length;  // in bytes
    WCHAR name[kNameCapacity];
};

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
                                 FILE_INFORMATION_CLASS informationClass) {
    IO_STATUS_BLOCK io = {};
    return NtQueryInformationFile(handle, &io, information, size, informationClass);
}

inline NTSTATUS SetInformation(HANDLE handle, void* information, ULONG size,
                               FILE_INFORMATION_CLASS informationClass) {
    IO_STATUS_BLOCK io = {};
    return NtSetInformationFile(handle, &io, information, size, informationClass);
}

inline NTSTATUS QueryStandardInformation(FileHandle file, FILE_STANDARD_INFORMATION* information) {
    return QueryInformation(HandleOf(file), information, sizeof *information,
                            FileStandardInformation);
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
