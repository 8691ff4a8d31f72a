// The walk's view of folders on POSIX: nothing is followed and no path is resolved twice. A
// folder is opened with openat from its parent's descriptor, O_NOFOLLOW and O_DIRECTORY, and
// checked to be the one its parent's listing named, on its parent's mount; each entry but a
// regular file is looked at with statx relative to it. A folder on another mount (by the mount id,
// so a bind mount of the same file system too) is a mount point.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/arguments.h"
#include "cli/folder_listing.h"
#include "fileops/posix_io.h"
#include "fileops/system_reason.h"

namespace {

FolderIdentity IdentityOf(const struct statx& place) {
    return {static_cast<uint64_t>(makedev(place.stx_dev_major, place.stx_dev_minor)), place.stx_ino,
            true};
}

EntryType TypeOf(const struct statx& entry, const struct statx& folder) {
    if (S_ISREG(entry.stx_mode))
        return entry.stx_nlink > 1 ? EntryType::kManyNames : EntryType::kFile;
    if (S_ISLNK(entry.stx_mode))
        return EntryType::kLink;
    if (!S_ISDIR(entry.stx_mode))
        return EntryType::kSpecial;
    const bool sameMount = MountOf(entry) == MountOf(folder) && !IsMountRoot(entry) &&
                           entry.stx_dev_major == folder.stx_dev_major &&
                           entry.stx_dev_minor == folder.stx_dev_minor;
    return sameMount ? EntryType::kFolder : EntryType::kOtherFileSystem;
}

// The folder `name` of `parent`, opened and checked; -1 with the reason noted.
int OpenFolder(FolderHandle parent, const std::u16string& name, const FolderIdentity& identity,
               struct statx* place) {
    std::string bytes;
    if (!ArgumentBytes(name, &bytes))
        return -1;
    const int from = parent == 0 ? AT_FDCWD : FolderDescriptor(parent);
    const int fd = RetryInterrupted([&] {
        return openat(from, bytes.c_str(),
                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    });
    if (fd < 0) {
        // O_NOFOLLOW with O_DIRECTORY refuses a link as "not a directory": say what it is.
        struct stat link;
        if (errno == ENOTDIR && fstatat(from, bytes.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(link.st_mode)) {
            NoteSystemReason(SystemReason::kSymbolicLink);
        } else {
            FailedWithErrno();
        }
        return -1;
    }
    struct statx above;
    bool kept = LookAt(fd, "", place);
    // Another folder under the listed name since, or a mount put there: the walk does not go there.
    if (kept && identity.known && IdentityOf(*place) != identity) {
        NoteSystemReason(SystemReason::kNoSuchFile);
        kept = false;
    }
    if (kept && parent != 0 && LookAt(from, "", &above) &&
        TypeOf(*place, above) != EntryType::kFolder) {
        NoteSystemReason(SystemReason::kMountPoint);
        kept = false;
    }
    if (!kept) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool LookAtOperand(const std::u16string& full, EntryType* type, FolderIdentity* identity) {
    std::string path;
    struct statx place;
    if (!ArgumentBytes(full, &path) || !LookAt(AT_FDCWD, path.c_str(), &place))
        return false;
    // A folder the user names is walked, a mount's root too; a file named alone is treated
    // whatever its other names.
    *type = S_ISDIR(place.stx_mode)   ? EntryType::kFolder
            : S_ISREG(place.stx_mode) ? EntryType::kFile
                                      : TypeOf(place, place);
    *identity = IdentityOf(place);
    return true;
}

bool OpenAndListFolder(FolderHandle parent, const std::u16string& name,
                       const FolderIdentity& identity, FolderHandle* folder,
                       std::vector<FolderEntry>* entries) {
    struct statx place;
    const int fd = OpenFolder(parent, name, identity, &place);
    if (fd < 0)
        return false;
    // The listing reads through a descriptor of its own: `fd` stays open for the walk.
    const int listed = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    DIR* listing = listed < 0 ? nullptr : fdopendir(listed);
    if (listing == nullptr) {
        FailedWithErrno();
        if (listed >= 0)
            close(listed);
        close(fd);
        return false;
    }
    errno = 0;
    while (const dirent* entry = readdir(listing)) {
        const char* entryName = entry->d_name;
        if (strcmp(entryName, ".") == 0 || strcmp(entryName, "..") == 0)
            continue;
        FolderEntry listedEntry;
        // The listing names a regular file's type itself: whether it has other names, or is a
        // mount, is checked where it is opened (file_open.h). Anything else, or an entry of a
        // file system that leaves the type unknown, is looked at; one gone since is left out.
        struct statx found;
        if (entry->d_type != DT_REG && !LookAt(fd, entryName, &found)) {
            errno = 0;
            continue;
        }
        listedEntry.type = entry->d_type == DT_REG ? EntryType::kFile : TypeOf(found, place);
        if (listedEntry.type == EntryType::kFolder)
            listedEntry.identity = IdentityOf(found);
        listedEntry.sortKey = entryName;
        listedEntry.name = ArgumentText(listedEntry.sortKey);
        entries->push_back(std::move(listedEntry));
        errno = 0;
    }
    const bool complete = errno == 0;
    if (!complete)
        FailedWithErrno();
    closedir(listing);
    if (!complete) {
        close(fd);
        return false;
    }
    *folder = FolderHandleOf(fd);
    return true;
}

void CloseFolder(FolderHandle folder) {
    if (folder != 0)
        close(FolderDescriptor(folder));
}

bool RemoveEmptyFolder(FolderHandle parent, const std::u16string& name, bool* holdsSomething) {
    *holdsSomething = false;
    std::string bytes;
    if (!ArgumentBytes(name, &bytes))
        return false;
    const int from = parent == 0 ? AT_FDCWD : FolderDescriptor(parent);
    if (unlinkat(from, bytes.c_str(), AT_REMOVEDIR) == 0)
        return true;
    *holdsSomething = errno == ENOTEMPTY || errno == EEXIST;
    if (errno == EBUSY) {
        NoteSystemReason(SystemReason::kMountPoint);
        return false;
    }
    return FailedWithErrno();
}
