// Naming on POSIX. Marking for deletion removes the name at once, while the lock is held and
// only while the path still names the same file, and fails when it cannot: POSIX has no
// delete-on-close, and a removal left to the close would have no result to report. The file
// lives on until close. Only the shred mode and a created output may mark their file, as only
// they ask for delete access.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "fileops/file_naming.h"
#include "fileops/open_file_posix.h"
#include "fileops/posix_io.h"
#include "fileops/system_reason.h"

#ifdef ZOK_FAULT_INJECTION
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
#define ZOK_REFUSED_STEP(step) false
#endif

bool NamesSameFile(const Place& place, dev_t device, ino_t inode) {
    struct stat now;
    return fstatat(place.folder, place.name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
           now.st_dev == device && now.st_ino == inode;
}

// Linux has no removal through a descriptor: the identity check keeps a file that was renamed
// onto the name since.
bool UnlinkIfSame(const Place& place, dev_t device, ino_t inode) {
    return NamesSameFile(place, device, inode) && unlinkat(place.folder, place.name, 0) == 0;
}

void FolderOf(const char* path, char* folder) {
    const char* slash = strrchr(path, '/');
    const size_t length = slash == path ? 1 : static_cast<size_t>(slash - path);
    memcpy(folder, path, length);
    folder[length] = 0;
}

namespace {

// Pushes the folder entry of `path` to the disk, so that a rename survives a power cut.
// Filesystems that cannot sync a folder (EINVAL) keep their entries by other means.
bool SyncFolderOf(const char* path) {
    if (InHeldFolder(PlaceOf(path)))
        return RetryInterrupted([&] { return fsync(g_held.fd); }) == 0 || errno == EINVAL ||
               FailedWithErrno();
    char folder[PATH_MAX];
    FolderOf(path, folder);
    const int fd = RetryInterrupted(
        [&] { return open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW); });
    if (fd < 0)
        return FailedWithErrno();
    const bool synced =
        RetryInterrupted([&] { return fsync(fd); }) == 0 || errno == EINVAL || FailedWithErrno();
    close(fd);
    return synced;
}

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
    errno = 0;
    if (!ToPosixPath(nativePath, path, sizeof path) || !record->deleteAccess ||
        !NamesSameFile(record->place, record->device, record->inode)) {
        return FailedWithErrno();
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

bool MarkForDeletion(FileHandle file) {
    if (ZOK_INJECTED_FAULT(kMarkForDeletion) || file == 0)
        return false;
    OpenFile* record = FileOf(file);
    if (!record->deleteAccess) {
        NoteSystemReason(SystemReason::kPermissionDenied);  // as an open without delete access
        return false;
    }
    errno = 0;  // a name that leads to another file now: no reason of the system's
    return UnlinkIfSame(record->place, record->device, record->inode) || FailedWithErrno();
}
