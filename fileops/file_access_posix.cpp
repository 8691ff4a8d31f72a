// System access on POSIX, with the results the run logic relies on from the Windows services:
// - "\??\" + absolute path; relative paths and anything else do not open.
// - Only regular files open; a symbolic link as the last component does not (O_NOFOLLOW): a
//   run never acts on a file the user did not name.
// - A file without any write permission bit counts as read-only and fails every mode, also for
//   root, as a read-only file does on Windows.
// - Sharing: each open holds a non-blocking exclusive flock for its whole life, so a second
//   open of the same file by this or another of our processes fails, like a second write open
//   under "share read". Other programs are not held off (the lock is advisory).
// - Only the shred mode and a created output may mark their file for deletion, as only they
//   ask for delete access; shred opens only a file that the folder lets this user remove (write and
//   search permission on the folder; in a sticky folder, the user owns the file or the folder): on
//   Windows the open asking for delete access fails in the same case, before anything is written.
// - Marking for deletion removes the name at once, while the lock is held and only while the
//   path still names the same file, and fails when it cannot: POSIX has no delete-on-close, and
//   a removal left to the close would have no result to report. The file lives on until close.
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

#include "fileops/file_access.h"
#include "fileops/posix_io.h"
#include "fileops/stand_in.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#define ZOK_INJECTED_FAULT(operation) ShouldFail(SystemOperation::operation)
#define ZOK_COUNT_LIVE(counter, delta) counter(delta)
#define ZOK_REFUSED_STEP(step) RefusedStep(RenameStep::step)
namespace {
// A step the test refuses fails with its errno before it is tried.
bool RefusedStep(RenameStep step) {
    const int error = RenameStepRefusal(step);
    if (error != 0)
        errno = error;
    return error != 0;
}
}  // namespace
#else
#define ZOK_INJECTED_FAULT(operation) false
#define ZOK_COUNT_LIVE(counter, delta) static_cast<void>(0)
#define ZOK_REFUSED_STEP(step) false
#endif

namespace {

// Where a path is reached from: its last name in the held folder (file_access.h) when the path
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

bool InHeldFolder(const Place& place) {
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

OpenFile* FileOf(FileHandle file) {
    return reinterpret_cast<OpenFile*>(file);
}

// A native path of "/abs/path" in UTF-16 to "/abs/path" in UTF-8. Fails on any other form, on
// unpaired surrogates and when the result does not fit `capacity` bytes with its terminator.
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

// Whether `place` still names the file `device` and `inode` identify.
bool NamesSameFile(const Place& place, dev_t device, ino_t inode) {
    struct stat now;
    return fstatat(place.folder, place.name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
           now.st_dev == device && now.st_ino == inode;
}

// Removes `place` if it still names that file; false when it is left. Linux has no removal
// through a descriptor: the identity check keeps a file that was renamed onto the name since.
bool UnlinkIfSame(const Place& place, dev_t device, ino_t inode) {
    return NamesSameFile(place, device, inode) && unlinkat(place.folder, place.name, 0) == 0;
}

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

// The folder of the absolute `path` (shorter than PATH_MAX) into `folder`: "/" for a file in
// the root.
void FolderOf(const char* path, char* folder) {
    const char* slash = strrchr(path, '/');
    const size_t length = slash == path ? 1 : static_cast<size_t>(slash - path);
    memcpy(folder, path, length);
    folder[length] = 0;
}

// Pushes the folder entry of `path` to the disk, so that a rename survives a power cut.
// Filesystems that cannot sync a folder (EINVAL) keep their entries by other means.
bool SyncFolderOf(const char* path) {
    if (InHeldFolder(PlaceOf(path)))
        return RetryInterrupted([&] { return fsync(g_held.fd); }) == 0 || errno == EINVAL;
    char folder[PATH_MAX];
    FolderOf(path, folder);
    const int fd = RetryInterrupted(
        [&] { return open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW); });
    if (fd < 0)
        return false;
    const bool synced = RetryInterrupted([&] { return fsync(fd); }) == 0 || errno == EINVAL;
    close(fd);
    return synced;
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
            return false;
        mode &= status.st_mode;
    }
    // Readable too: where the filesystem cannot allocate, ReserveSpace reads before it fills.
    const int fd = OpenRetrying(PlaceOf(path), O_RDWR | O_CREAT | O_EXCL, mode);
    if (fd < 0)
        return FailedWithErrno();
    return Adopt(fd, path, true, true, file);
}

namespace {

// How a file system says that it lacks the no-replace rename, and that it lacks hard links: the
// next way is tried then. Every other errno refuses this rename.
bool LacksNoReplaceRename(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}
bool LacksHardLinks(int error) {
    // EPERM: the file system has no links (our own fresh file is never protected); EMLINK: it
    // allows a file one name only.
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

// Gives the unfinished file of `record` the name `path`, which must be free; false with errno.
// The no-replace rename where the file system has it (ext4, XFS, btrfs, tmpfs); else a second
// name and the removal of the first (NFS, ntfs-3g); else (exFAT, FAT, many SMB shares) the name
// taken first by an empty placeholder created with O_EXCL, which no other program can have
// made, and the finished file renamed over it. A stop between the two leaves that empty file
// at the output's name, which the next run's overwrite question names.
bool RenameNoReplace(const OpenFile& record, const Place& to) {
    const Place& from = record.place;
    if (!ZOK_REFUSED_STEP(kNoReplaceRename) &&
        renameat2(from.folder, from.name, to.folder, to.name, RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (!LacksNoReplaceRename(errno))
        return false;
    if (!ZOK_REFUSED_STEP(kLink) && linkat(from.folder, from.name, to.folder, to.name, 0) == 0) {
        if (!ZOK_REFUSED_STEP(kUnlinkUnfinished) && unlinkat(from.folder, from.name, 0) == 0)
            return true;
        // The output's name goes again, so that a failed run leaves no second name behind.
        const int error = errno;
        static_cast<void>(UnlinkIfSame(to, record.device, record.inode));
        errno = error;
        return false;
    }
    if (!LacksHardLinks(errno))
        return false;
    const int placeholder = OpenRetrying(to, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (placeholder < 0)
        return false;  // EEXIST: the name is taken
    struct stat made;
    const bool known = fstat(placeholder, &made) == 0;
    close(placeholder);
    if (known && !ZOK_REFUSED_STEP(kRenameOverPlaceholder) &&
        renameat(from.folder, from.name, to.folder, to.name) == 0) {
        return true;
    }
    // The placeholder goes again, unless something else has taken the name meanwhile.
    const int error = errno;
    if (known)
        static_cast<void>(UnlinkIfSame(to, made.st_dev, made.st_ino));
    errno = error;
    return false;
}

}  // namespace

bool RenameOutput(FileHandle file, const char16_t* nativePath, bool replace) {
    if (ZOK_INJECTED_FAULT(kRenameOutput) || file == 0)
        return false;
    OpenFile* record = FileOf(file);
    char path[PATH_MAX];
    if (!ToPosixPath(nativePath, path, sizeof path) || !record->deleteAccess ||
        !NamesSameFile(record->place, record->device, record->inode)) {
        return false;
    }
    const Place to = PlaceOf(path);
    const Place& from = record->place;
    if (!(replace ? renameat(from.folder, from.name, to.folder, to.name) == 0
                  : RenameNoReplace(*record, to))) {
        return FailedWithErrno();
    }
    record->deleteAccess = false;  // the recorded name is gone
    return SyncFolderOf(path);
}

bool QueryFileSize(FileHandle file, uint64_t* endOfFile) {
    if (ZOK_INJECTED_FAULT(kQueryFileSize) || file == 0)
        return false;
    struct stat status;
    if (fstat(FileOf(file)->fd, &status) != 0)
        return false;
    *endOfFile = static_cast<uint64_t>(status.st_size);
#ifdef ZOK_FAULT_INJECTION
    if (ReportedFileSize() != 0)
        *endOfFile = ReportedFileSize();
#endif
    return true;
}

bool ReadWhole(FileHandle file, uint8_t* buffer, uint32_t size) {
    if (ZOK_INJECTED_FAULT(kReadWhole) || file == 0)
        return false;
    return TransferWhole(FileOf(file)->fd, 0, buffer, size, pread);
}

bool WriteAt(FileHandle file, uint32_t offset, const uint8_t* data, uint32_t size,
             uint32_t* reached) {
    if (reached != nullptr)
        *reached = 0;
    if (ZOK_INJECTED_FAULT(kWriteAt) || file == 0) {
#ifdef ZOK_FAULT_INJECTION
        // A write stopped part way: the bytes below the chosen end are in the file. A write
        // that the end does not cut fails whole, as no write that went through fails.
        const uint32_t end = WrittenBeforeFailingUpTo();
        if (file != 0 && end > offset && end - offset < size &&
            TransferWhole(FileOf(file)->fd, static_cast<off_t>(offset), data, end - offset,
                          pwrite) &&
            reached != nullptr) {
            *reached = end - offset;
        }
#endif
        return false;
    }
    size_t moved = 0;
    const bool whole =
        TransferWhole(FileOf(file)->fd, static_cast<off_t>(offset), data, size, pwrite, &moved);
    if (reached != nullptr)
        *reached = static_cast<uint32_t>(moved);
    return whole;
}

namespace {
bool Truncate(int fd, off_t length) {
    return RetryInterrupted([&] { return ftruncate(fd, length); }) == 0 || FailedWithErrno();
}
}  // namespace

bool SetFileLength(FileHandle file, uint32_t length) {
    if (ZOK_INJECTED_FAULT(kSetFileLength) || file == 0)
        return false;
    return Truncate(FileOf(file)->fd, static_cast<off_t>(length));
}

namespace {

// A hole of a file: [start, end).
struct Hole {
    off_t start;
    off_t end;
};

// The holes of the file below `end` (at most its size), as SEEK_HOLE and SEEK_DATA show them,
// into a list from malloc (*holes, free it) and their sum into *bytes. False when the list
// cannot be kept. A file system without these seeks shows no holes.
bool FindHoles(int fd, off_t end, Hole** holes, size_t* count, uint64_t* bytes) {
    *holes = nullptr;
    *count = 0;
    *bytes = 0;
    size_t capacity = 0;
    for (off_t at = 0; at < end;) {
        const off_t start = lseek(fd, at, SEEK_HOLE);
        if (start < 0 || start >= end)
            break;
        off_t data = lseek(fd, start, SEEK_DATA);
        if (data < 0 || data > end)
            data = end;  // ENXIO: the hole runs to the end of the file
        if (*count == capacity) {
            capacity = capacity == 0 ? 16 : 2 * capacity;
            auto* grown = static_cast<Hole*>(realloc(*holes, capacity * sizeof(Hole)));
            if (grown == nullptr) {
                free(*holes);
                *holes = nullptr;
                return false;
            }
            *holes = grown;
        }
        (*holes)[(*count)++] = {start, data};
        *bytes += static_cast<uint64_t>(data - start);
        at = data;
    }
    return true;
}

// Whether writing to a file on `disk` takes new room even over blocks the file has: a
// copy-on-write file system (btrfs; ZFS and bcachefs where statfs names them) keeps the old
// blocks until the new ones are written, so a reservation does not cover an overwrite.
bool CopiesOnWrite(const struct statfs& disk) {
    constexpr uint32_t kBtrfs = 0x9123683E;
    constexpr uint32_t kZfs = 0x2FC12FC1;
    constexpr uint32_t kBcachefs = 0xCA451A4E;
    const auto type = static_cast<uint32_t>(disk.f_type);
    return type == kBtrfs || type == kZfs || type == kBcachefs;
}

// Whether `disk` has fewer free blocks than the file needs: the blocks of its holes below the
// end (`holeBytes`, whole blocks) and the whole blocks its growth from `oldSize` to `length`
// adds, counted as the file system counts them, so that a full disk refuses even a growth of a
// few bytes that starts a new block. A copy-on-write file system needs room for every block.
// Root may use the blocks kept for it, but for a copy-on-write one, whose free blocks count the
// room kept for its own records (btrfs), where only the available blocks take data. A file
// system that reports no size (some FUSE ones) is not judged.
bool LacksRoom(const struct statfs& disk, uint64_t holeBytes, uint64_t oldSize, uint64_t length,
               bool copiesOnWrite) {
#ifdef ZOK_FAULT_INJECTION
    if (RoomCheckSkipped())
        return false;
#endif
    const uint64_t blockSize = disk.f_frsize != 0 ? disk.f_frsize : disk.f_bsize;
    if (disk.f_blocks == 0 || blockSize == 0)
        return false;
    const auto blocks = [blockSize](uint64_t bytes) { return (bytes + blockSize - 1) / blockSize; };
    const uint64_t grown = length > oldSize ? blocks(length) - blocks(oldSize) : 0;
    const uint64_t needed = copiesOnWrite ? blocks(length) : holeBytes / blockSize + grown;
    static const bool root = geteuid() == 0;
    const uint64_t available = root && !copiesOnWrite ? disk.f_bfree : disk.f_bavail;
    return needed > available;
}

// Allocates the first `length` bytes without moving the end of file; 0 or the errno. Where the
// file system cannot keep the size (ext2, exFAT and other FUSE ones: EOPNOTSUPP), only the
// `holes` below the end are filled, by glibc writing a zero byte where it reads one, which
// changes no data and leaves the end alone; the growth past the end is then covered by the room
// check alone. So no reservation ever changes what the file reads.
int Allocate(int fd, uint32_t length, const Hole* holes, size_t holeCount) {
    if (RetryInterrupted([&] {
            return fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length));
        }) == 0) {
        return 0;
    }
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    for (size_t i = 0; i < holeCount; ++i) {
        int error = 0;
        do {
            error = posix_fallocate(fd, holes[i].start, holes[i].end - holes[i].start);
        } while (error == EINTR);
        if (error != 0)
            return error;
    }
    return 0;
}

}  // namespace

bool ReserveSpace(FileHandle file, uint32_t length) {
    if (ZOK_INJECTED_FAULT(kReserveSpace) || file == 0)
        return false;
    const int fd = FileOf(file)->fd;
    struct stat status;
    if (fstat(fd, &status) != 0)
        return false;
    if (length == 0)
        return true;
    // From offset 0, not from the old end: a sparse file's holes need blocks as well. A failed
    // reservation must give them back: file systems such as ext4 keep what a failed fallocate
    // got. So the room is checked first, and the holes are punched again after a failure that
    // the check did not foresee.
    const off_t oldSize = status.st_size;
    Hole* holes = nullptr;
    size_t holeCount = 0;
    uint64_t needed = 0;
    if (!FindHoles(fd, std::min(oldSize, static_cast<off_t>(length)), &holes, &holeCount, &needed))
        return FailedWithErrno();
    // A file system that tells nothing of itself is taken as one that does not copy on write,
    // and its room is not judged.
    struct statfs disk = {};
    const bool described = fstatfs(fd, &disk) == 0;
    const bool copiesOnWrite = described && CopiesOnWrite(disk);
    int error = ENOSPC;
    if (!described ||
        !LacksRoom(disk, needed, static_cast<uint64_t>(oldSize), length, copiesOnWrite)) {
        error = Allocate(fd, length, holes, holeCount);
        if (error != 0) {
            // Whatever reads zeros there now read zeros before: no data changes.
            for (size_t i = 0; i < holeCount; ++i) {
                static_cast<void>(fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE,
                                            holes[i].start, holes[i].end - holes[i].start));
            }
        }
    }
    free(holes);
    if (error == 0)
        return true;
    NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(error)));
    // Blocks reserved past the end go again with a cut to the same length (ext4, XFS and tmpfs
    // drop what lies past the end of file at any cut); the bytes do not change.
    if (oldSize < static_cast<off_t>(length))
        static_cast<void>(RetryInterrupted([&] { return ftruncate(fd, oldSize); }));
    return false;
}

namespace {
constexpr int64_t kNanosecondsPerSecond = 1000000000;

int64_t NanosecondsOf(const struct timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

struct timespec TimespecOf(int64_t nanoseconds) {
    // Rounded down, so that a date before 1970 keeps a fraction in [0, 1 s).
    int64_t seconds = nanoseconds / kNanosecondsPerSecond;
    int64_t fraction = nanoseconds % kNanosecondsPerSecond;
    if (fraction < 0) {
        fraction += kNanosecondsPerSecond;
        --seconds;
    }
    struct timespec time = {};
    time.tv_sec = static_cast<time_t>(seconds);
    time.tv_nsec = static_cast<long>(fraction);
    return time;
}
}  // namespace

bool QueryFileFacts(FileHandle file, FileFacts* facts) {
    struct stat status;
    if (file == 0 || fstat(FileOf(file)->fd, &status) != 0)
        return false;
    facts->accessed = NanosecondsOf(status.st_atim);
    facts->modified = NanosecondsOf(status.st_mtim);
    facts->names = static_cast<uint32_t>(status.st_nlink);
    facts->owner = status.st_uid;
    facts->group = status.st_gid;
    facts->mode = status.st_mode & 07777;
    return true;
}

bool SetFileDates(FileHandle file, const FileFacts& facts) {
    if (file == 0)
        return false;
    const struct timespec times[2] = {TimespecOf(facts.accessed), TimespecOf(facts.modified)};
    return futimens(FileOf(file)->fd, times) == 0;
}

bool TakeOwnerAndMode(const FileFacts& facts, FileHandle file) {
    struct stat made;
    if (file == 0 || fstat(FileOf(file)->fd, &made) != 0)
        return FailedWithErrno();
    const int fd = FileOf(file)->fd;
    // The owner first: a change of owner clears the set-user and set-group bits.
    const bool owned = (facts.owner == made.st_uid && facts.group == made.st_gid) ||
                       fchown(fd, facts.owner, facts.group) == 0;
    return (owned && fchmod(fd, static_cast<mode_t>(facts.mode)) == 0) || FailedWithErrno();
}

bool FlushFile(FileHandle file) {
    if (ZOK_INJECTED_FAULT(kFlushFile) || file == 0)
        return false;
    const int fd = FileOf(file)->fd;
    return RetryInterrupted([&] { return fdatasync(fd); }) == 0;
}

bool MarkForDeletion(FileHandle file) {
    if (ZOK_INJECTED_FAULT(kMarkForDeletion) || file == 0)
        return false;
    OpenFile* record = FileOf(file);
    return record->deleteAccess && UnlinkIfSame(record->place, record->device, record->inode);
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

// --- Memory ------------------------------------------------------------------------------

namespace {
constexpr uint64_t kGranularity = 4096;
// Transparent huge pages from this size on: the page faults of a fresh buffer otherwise cost
// more than reading the file into it.
constexpr uint64_t kHugePageThreshold = 2u << 20;
// Below this a block comes from the heap: a mapping of its own costs two system calls and a
// page fault, more than a small file's whole run, and a walk of small files makes many. The
// heap keeps a freed block in the process, so it is wiped first, as unmapped pages are gone.
constexpr uint64_t kSmallestMapping = 64u << 10;
// The length says where a block came from and how much to unmap or wipe; live allocations are
// few (a run buffer, a log scratch).
constexpr int kMaxLiveBuffers = 64;

struct LiveBuffer {
    uint8_t* base;
    size_t length;
};
std::mutex g_buffersLock;
LiveBuffer g_buffers[kMaxLiveBuffers];

bool Remember(uint8_t* base, size_t length) {
    std::lock_guard<std::mutex> hold(g_buffersLock);
    for (LiveBuffer& slot : g_buffers) {
        if (slot.base == nullptr) {
            slot = {base, length};
            return true;
        }
    }
    return false;
}

// False for a block that AllocateBuffer did not give.
bool Forget(uint8_t* base, size_t* length) {
    std::lock_guard<std::mutex> hold(g_buffersLock);
    for (LiveBuffer& slot : g_buffers) {
        if (slot.base == base) {
            *length = slot.length;
            slot = {nullptr, 0};
            return true;
        }
    }
    return false;
}

// Page-aligned and zero-filled, like a mapping; `length` a multiple of kGranularity. Null on
// failure.
uint8_t* ObtainBlock(size_t length) {
    if (length < kSmallestMapping) {
        void* memory = aligned_alloc(kGranularity, length);
        if (memory != nullptr)
            memset(memory, 0, length);
        return static_cast<uint8_t*>(memory);
    }
    void* memory =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    if (length >= kHugePageThreshold)
        madvise(memory, length, MADV_HUGEPAGE);  // a hint only
    return static_cast<uint8_t*>(memory);
}

void ReleaseBlock(uint8_t* base, size_t length) {
    if (length < kSmallestMapping) {
        explicit_bzero(base, length);
        free(base);
    } else {
        munmap(base, length);
    }
}
}  // namespace

bool AllocateBuffer(uint32_t* size, uint8_t** base) {
    *base = nullptr;
    if (ZOK_INJECTED_FAULT(kAllocateBuffer) || *size == 0)
        return false;
    const uint64_t rounded = (*size + kGranularity - 1) & ~(kGranularity - 1);
    if (rounded > UINT32_MAX)
        return false;
    uint8_t* memory = ObtainBlock(rounded);
    if (memory == nullptr)
        return false;
    if (!Remember(memory, rounded)) {
        ReleaseBlock(memory, rounded);
        return false;
    }
    *size = static_cast<uint32_t>(rounded);
    *base = memory;
    ZOK_COUNT_LIVE(CountLiveBuffers, +1);
    return true;
}

void FreeBuffer(uint8_t* base) {
    if (base == nullptr)
        return;
    size_t length = 0;
    if (Forget(base, &length)) {
        ReleaseBlock(base, length);
        ZOK_COUNT_LIVE(CountLiveBuffers, -1);
    }
}

// --- Threads -----------------------------------------------------------------------------

namespace {
struct ThreadStart {
    ThreadRoutine routine;
    uintptr_t argument;
};

void* ThreadEntry(void* start) {
    const ThreadStart copy = *static_cast<ThreadStart*>(start);
    free(start);
    copy.routine(copy.argument);
    return nullptr;
}

ThreadHandle Start(ThreadRoutine routine, uintptr_t argument, int detachState) {
    static_assert(sizeof(pthread_t) <= sizeof(ThreadHandle));
    auto* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
    if (start == nullptr)
        return 0;
    *start = {routine, argument};
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        free(start);
        return 0;
    }
    pthread_t thread;
    const bool started = pthread_attr_setdetachstate(&attributes, detachState) == 0 &&
                         pthread_create(&thread, &attributes, ThreadEntry, start) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        free(start);
        return 0;
    }
    return static_cast<ThreadHandle>(thread);
}
}  // namespace

bool StartThread(ThreadRoutine routine, uintptr_t argument) {
    if (ZOK_INJECTED_FAULT(kStartThread))
        return false;
    return Start(routine, argument, PTHREAD_CREATE_DETACHED) != 0;
}

ThreadHandle StartJoinableThread(ThreadRoutine routine, uintptr_t argument) {
    if (ZOK_INJECTED_FAULT(kStartJoinableThread))
        return 0;
    return Start(routine, argument, PTHREAD_CREATE_JOINABLE);
}

void JoinThread(ThreadHandle thread) {
    if (thread != 0)
        pthread_join(static_cast<pthread_t>(thread), nullptr);
}

void EndProgram() {
    // The Windows program ends without flushing anything; here the command-line front end's
    // buffered output is worth keeping.
    fflush(nullptr);
    _exit(0);
}
