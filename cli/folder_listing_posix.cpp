// The walk's view of folders on POSIX: nothing is followed. A folder is opened with O_NOFOLLOW
// and O_DIRECTORY and checked to be the one its parent's listing named; each entry but a regular
// file is looked at with fstatat without following a link; a folder on another device is a mount
// point.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/arguments.h"
#include "cli/folder_listing.h"
#include "fileops/posix_io.h"
#include "fileops/system_reason.h"

namespace {

FolderIdentity IdentityOf(const struct stat& status) {
    return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino), true};
}

EntryType TypeOf(const struct stat& status, dev_t folderDevice) {
    if (S_ISREG(status.st_mode))
        return EntryType::kFile;
    if (S_ISLNK(status.st_mode))
        return EntryType::kLink;
    if (S_ISDIR(status.st_mode))
        return status.st_dev == folderDevice ? EntryType::kFolder : EntryType::kOtherFileSystem;
    return EntryType::kSpecial;
}

}  // namespace

bool LookAtOperand(const std::u16string& full, EntryType* type, FolderIdentity* identity) {
    std::string path;
    struct stat status;
    if (!ArgumentBytes(full, &path) || lstat(path.c_str(), &status) != 0)
        return FailedWithErrno();
    *type = TypeOf(status, status.st_dev);
    *identity = IdentityOf(status);
    return true;
}

bool ListFolder(const std::u16string& full, const FolderIdentity& identity,
                std::vector<FolderEntry>* entries) {
    std::string path;
    if (!ArgumentBytes(full, &path))
        return false;
    const int fd = RetryInterrupted([&] {
        return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    });
    if (fd < 0)
        return FailedWithErrno();
    struct stat folder;
    if (fstat(fd, &folder) != 0) {
        close(fd);
        return FailedWithErrno();
    }
    // Another folder under the listed name since: the walk does not go there.
    if (identity.known && (static_cast<uint64_t>(folder.st_dev) != identity.device ||
                           static_cast<uint64_t>(folder.st_ino) != identity.inode)) {
        close(fd);
        NoteSystemReason(SystemReason::kNoSuchFile);
        return false;
    }
    DIR* listing = fdopendir(fd);
    if (listing == nullptr) {
        close(fd);
        return FailedWithErrno();
    }
    errno = 0;
    while (const dirent* entry = readdir(listing)) {
        const char* name = entry->d_name;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
            continue;
        FolderEntry found;
        // The listing names a regular file's type itself; anything else, or an entry of a file
        // system that leaves the type unknown, is looked at.
        if (entry->d_type != DT_REG) {
            struct stat status;
            // An entry gone since the listing began is not part of the walk.
            if (fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            found.type = TypeOf(status, folder.st_dev);
            if (found.type == EntryType::kFolder)
                found.identity = IdentityOf(status);
        }
        found.sortKey = name;
        found.name = ArgumentText(found.sortKey);
        entries->push_back(std::move(found));
        errno = 0;
    }
    const bool complete = errno == 0;
    if (!complete)
        FailedWithErrno();
    closedir(listing);
    return complete;
}

bool RemoveEmptyFolder(const std::u16string& full, bool* holdsSomething) {
    *holdsSomething = false;
    std::string path;
    if (!ArgumentBytes(full, &path))
        return false;
    if (rmdir(path.c_str()) == 0)
        return true;
    *holdsSomething = errno == ENOTEMPTY || errno == EEXIST;
    return FailedWithErrno();
}
