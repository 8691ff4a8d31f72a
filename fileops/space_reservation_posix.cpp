// The space reservation on POSIX: fallocate that keeps the size, with a room check of its own
// first, since a failed fallocate may keep what it took.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "fileops/open_file_posix.h"
#include "fileops/posix_io.h"
#include "fileops/space_reservation.h"
#include "fileops/system_reason.h"

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
        return FailedWithErrno();
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
