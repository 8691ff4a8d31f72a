// What the POSIX pieces of system access share, private to them: the record behind a
// FileHandle, where a path is reached from while a walk holds a folder, and the hooks of the
// test seam (fault_injection.h). Defined in file_open_posix.cpp unless noted.
#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <climits>
#include <cstddef>
#include <cstdint>

#include "fileops/file_open.h"

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#define ZOK_INJECTED_FAULT(operation) ShouldFail(SystemOperation::operation)
#define ZOK_COUNT_LIVE(counter, delta) counter(delta)
#else
#define ZOK_INJECTED_FAULT(operation) false
#define ZOK_COUNT_LIVE(counter, delta) static_cast<void>(0)
#endif

// Where a path is reached from: its last name in the held folder (file_open.h) when the path
// names an entry of it, else the whole path (absolute: the current folder plays no part).
struct Place {
    int folder;
    const char* name;
};

// The folder a walk holds: its descriptor (borrowed; -1 for none), path and mount.
struct HeldFolder {
    int fd = -1;
    char path[PATH_MAX] = {};
    size_t length = 0;
    uint64_t mount = 0;
};
extern HeldFolder g_held;

Place PlaceOf(const char* path);
inline bool InHeldFolder(const Place& place) {
    return place.folder != AT_FDCWD;
}

// What a FileHandle points to. One heap block: the record, then the path text. A file opened in
// the held folder keeps that folder's descriptor, which the walk keeps open for the run.
struct OpenFile {
    int fd;
    bool deleteAccess;
    dev_t device;
    ino_t inode;
    char* path;
    Place place;  // name points into path
};

inline OpenFile* FileOf(FileHandle file) {
    return reinterpret_cast<OpenFile*>(file);
}

// A native path of "/abs/path" in UTF-16 to "/abs/path" in UTF-8. Fails on any other form, on
// unpaired surrogates and when the result does not fit `capacity` bytes with its terminator.
bool ToPosixPath(const char16_t* nativePath, char* out, size_t capacity);
// openat of `place` that follows no link, opens no terminal and keeps nothing across an exec.
int OpenRetrying(const Place& place, int flags, mode_t mode);

// From file_naming_posix.cpp: whether `place` still names the file `device` and `inode`
// identify, and its removal if it does (false when it is left).
bool NamesSameFile(const Place& place, dev_t device, ino_t inode);
bool UnlinkIfSame(const Place& place, dev_t device, ino_t inode);
// The folder of the absolute `path` (shorter than PATH_MAX) into `folder`: "/" for a file in
// the root.
void FolderOf(const char* path, char* folder);
