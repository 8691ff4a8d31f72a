// System access on POSIX, with the results the run logic relies on from the Windows services:
// - "\??\" + absolute path; relative paths and anything else do not open.
// - Only regular files open; a symbolic link as the last component does not (O_NOFOLLOW): a
//   run never acts on a file the user did not name.
// - A file without any write permission bit counts as read-only and fails every mode, also for
//   root, as a read-only file does on Windows.
// - Sharing: each open holds a non-blocking exclusive flock for its whole life, so a second
//   open of the same file by this or another of our processes fails, like a second write open
//   under "share read". Other programs are not held off (the lock is advisory).
// - The open modes: only the shred mode and a created output ask for delete access
//   (file_naming_posix.cpp); shred opens only a file that the folder lets this user remove (write
//   and search permission on the folder; in a sticky folder, the user owns the file or the
//   folder): on Windows the open asking for delete access fails in the same case, before
//   anything is written.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "fileops/file_open.h"
#include "fileops/open_file_posix.h"
#include "fileops/posix_io.h"
#include "fileops/stand_in.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"

HeldFolder g_held;

Place PlaceOf(const char* path) {
    if (g_held.fd < 0 || strncmp(path, g_held.path, g_held.length) != 0)
        return {AT_FDCWD, path};
    // The held path without its trailing slash ("/" itself keeps it).
    const bool slashed = g_held.path[g_held.length - 1] == '/';
    const char* name = path + g_held.length + (slashed ? 0 : 1);
    if ((!slashed && path[g_held.length] != '/') || *name == 0 || strchr(name, '/') != nullptr)
        return {AT_FDCWD, path};
    return {g_held.fd, name};
}

bool ToPosixPath(const char16_t* nativePath, char* out, size_t capacity) {
    const std::u16string_view path(nativePath);
    if (!path.starts_with(kNativePrefix) || path.substr(kNativePrefixLength, 1) != u"/")
        return false;
    return Utf16ToUtf8Exact(path.substr(kNativePrefixLength), out, capacity);
}

int OpenRetrying(const Place& place, int flags, mode_t mode) {
    return RetryInterrupted([&] {
        return openat(place.folder, place.name, flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
    });
}

namespace {

// A source opened in the held folder is what the walk met: a file of one name on the folder's
// own mount. False with the reason noted otherwise.
bool IsWalkedFile(int fd) {
    struct statx file;
    if (!LookAt(fd, "", &file))
        return false;
    const SystemReason refusal = file.stx_nlink > 1              ? SystemReason::kOtherNames
                                 : MountOf(file) != g_held.mount ? SystemReason::kMountPoint
                                                                 : SystemReason::kNone;
    if (refusal != SystemReason::kNone)
        NoteSystemReason(refusal);
    return refusal == SystemReason::kNone;
}

// Whether the folder of `path` lets this user remove `file` from it: write and search
// permission, and in a sticky folder ownership of the file or the folder (root may always).
bool FolderAllowsRemoval(const char* path, const struct stat& file) {
    char folder[PATH_MAX];
    FolderOf(path, folder);
    const Place place = PlaceOf(path);
    const int from = InHeldFolder(place) ? place.folder : AT_FDCWD;
    const char* name = InHeldFolder(place) ? "." : folder;
    struct stat status;
    if (faccessat(from, name, W_OK | X_OK, AT_EACCESS) != 0 ||
        fstatat(from, name, &status, 0) != 0) {
        return false;
    }
    const uid_t user = geteuid();
    return (status.st_mode & S_ISVTX) == 0 || user == 0 || user == file.st_uid ||
           user == status.st_uid;
}

// Turns a freshly opened descriptor into a handle: checks it is a writable regular file (any
// regular file when only `reading`), takes the lock (shared when reading) and records the path.
// Closes the descriptor on failure; a file this open created is removed again unless another open
// has already locked it.
bool Adopt(int fd, const char* path, bool created, bool deleteAccess, FileHandle* file,
           bool reading = false) {
    struct stat status;
    if (fstat(fd, &status) != 0) {
        FailedWithErrno();
        close(fd);
        return false;
    }
    const size_t pathBytes = strlen(path) + 1;
    auto* record = static_cast<OpenFile*>(malloc(sizeof(OpenFile) + pathBytes));
    // Each check in turn, the later ones only once the earlier passed.
    const SystemReason refusal =
        !S_ISREG(status.st_mode) ? SystemReason::kNotRegularFile
        : (!created && !reading && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) ||
                (deleteAccess && !FolderAllowsRemoval(path, status))
            ? SystemReason::kPermissionDenied
        : flock(fd, (reading ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0 ? SystemReason::kInUse
                                                                  : SystemReason::kNone;
    // Opened with O_NONBLOCK so that a FIFO could not block the open; plain I/O from here. None
    // of the other flags that F_SETFL sets is ever asked for, so all are cleared at once.
    if (refusal != SystemReason::kNone || fcntl(fd, F_SETFL, 0) != 0 || record == nullptr) {
        if (refusal != SystemReason::kNone)
            NoteSystemReason(refusal);
        else
            FailedWithErrno();  // the flags, or no memory for the record
        free(record);
        if (created)
            static_cast<void>(UnlinkIfSame(PlaceOf(path), status.st_dev, status.st_ino));
        close(fd);
        return false;
    }
    record->fd = fd;
    record->deleteAccess = deleteAccess;
    record->device = status.st_dev;
    record->inode = status.st_ino;
    record->path = reinterpret_cast<char*>(record + 1);
    memcpy(record->path, path, pathBytes);
    const Place place = PlaceOf(path);
    record->place = {place.folder, record->path + (place.name - path)};
    *file = reinterpret_cast<FileHandle>(record);
    ZOK_COUNT_LIVE(CountOpenFiles, +1);
    return true;
}

bool OpenExisting(const char16_t* nativePath, int access, bool deleteAccess, FileHandle* file) {
    char path[PATH_MAX];
    if (!ToPosixPath(nativePath, path, sizeof path))
        return false;
    const int standIn = OpenStandIn(path);
    const Place place = PlaceOf(path);
    const int fd = standIn >= 0 ? standIn : OpenRetrying(place, access | O_NONBLOCK, 0);
    if (fd < 0)
        return FailedWithErrno();
    if (InHeldFolder(place) && !IsWalkedFile(fd)) {
        close(fd);
        return false;
    }
    return Adopt(fd, path, false, deleteAccess, file, access == O_RDONLY);
}

}  // namespace

bool OpenSourceForCipher(const char16_t* nativePath, FileHandle* file) {
    *file = 0;
    if (ZOK_INJECTED_FAULT(kOpenSourceForCipher))
        return false;
    return OpenExisting(nativePath, O_RDWR, false, file);
}

bool OpenForReading(const char16_t* nativePath, FileHandle* file) {
    *file = 0;
    return OpenExisting(nativePath, O_RDONLY, false, file);
}

bool GlanceAtFile(const char16_t* nativePath, uint8_t* start, uint32_t count, uint64_t* size) {
    char path[PATH_MAX];
    if (!ToPosixPath(nativePath, path, sizeof path))
        return false;
    const Place place = PlaceOf(path);
    const int fd = OpenRetrying(place, O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0)
        return FailedWithErrno();
    struct stat status;
    bool read = (fstat(fd, &status) == 0 || FailedWithErrno()) &&
                (!InHeldFolder(place) || IsWalkedFile(fd));
    if (read && !S_ISREG(status.st_mode)) {
        NoteSystemReason(SystemReason::kNotRegularFile);
        read = false;
    }
    if (read) {
        *size = static_cast<uint64_t>(status.st_size);
        read = TransferWhole(fd, 0, start, std::min<uint64_t>(*size, count), pread);
    }
    close(fd);
    return read;
}

bool OpenForShred(const char16_t* nativePath, FileHandle* file) {
    *file = 0;
    if (ZOK_INJECTED_FAULT(kOpenForShred))
        return false;
    return OpenExisting(nativePath, O_WRONLY, true, file);
}

bool ProbeOutput(const char16_t* nativePath, bool* exists, bool* empty) {
    *exists = false;
    if (empty != nullptr)
        *empty = false;
    if (ZOK_INJECTED_FAULT(kProbeOutput))
        return false;
    char path[PATH_MAX];
    if (!ToPosixPath(nativePath, path, sizeof path))
        return false;
    const int fd = OpenRetrying(PlaceOf(path), O_WRONLY | O_NONBLOCK, 0);
    if (fd < 0)
        return errno == ENOENT || FailedWithErrno();  // a missing folder fails at the create
    FileHandle file = 0;
    if (!Adopt(fd, path, false, false, &file))
        return false;
    struct stat status;
    if (empty != nullptr)
        *empty = fstat(FileOf(file)->fd, &status) == 0 && status.st_size == 0;
    CloseFile(file);
    *exists = true;
    return true;
}

bool CreateOutput(const char16_t* nativePath, FileHandle model, FileHandle* file) {
    *file = 0;
    if (ZOK_INJECTED_FAULT(kCreateOutput))
        return false;
    char path[PATH_MAX];
    if (!ToPosixPath(nativePath, path, sizeof path))
        return false;
    mode_t mode = 0666;
    struct stat status;
    if (model != 0) {
        if (fstat(FileOf(model)->fd, &status) != 0)
            return FailedWithErrno();
        mode &= status.st_mode;
    }
    // Readable too: where the filesystem cannot allocate, ReserveSpace reads before it fills.
    const int fd = OpenRetrying(PlaceOf(path), O_RDWR | O_CREAT | O_EXCL, mode);
    if (fd < 0)
        return FailedWithErrno();
    return Adopt(fd, path, true, true, file);
}

void CloseFile(FileHandle file) {
    if (file == 0)
        return;
    // Close has no result. An injected failure is only counted: close(2) releases the
    // descriptor even when it reports an error.
    static_cast<void>(ZOK_INJECTED_FAULT(kCloseFile));
    OpenFile* record = FileOf(file);
    close(record->fd);  // never retried: Linux releases the descriptor even on EINTR
    free(record);
    ZOK_COUNT_LIVE(CountOpenFiles, -1);
}

// --- The held folder ----------------------------------------------------------------------

bool HoldFolder(FolderHandle folder, const char16_t* nativePath) {
    char path[PATH_MAX];
    if (folder == 0 || !ToPosixPath(nativePath, path, sizeof path)) {
        LetGoOfFolder();
        return false;
    }
    // Held already, for the file before this one.
    if (g_held.fd == FolderDescriptor(folder) && strcmp(path, g_held.path) == 0)
        return true;
    LetGoOfFolder();
    struct statx place;
    if (!LookAt(FolderDescriptor(folder), "", &place))
        return false;
    memcpy(g_held.path, path, sizeof path);
    g_held.length = strlen(g_held.path);
    g_held.mount = MountOf(place);
    g_held.fd = FolderDescriptor(folder);
    return true;
}

void LetGoOfFolder() {
    g_held.fd = -1;
}
