// A file's bytes and facts on POSIX, through the descriptor of its open record.
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "fileops/file_data.h"
#include "fileops/open_file_posix.h"
#include "fileops/posix_io.h"
#include "fileops/system_reason.h"

bool QueryFileSize(FileHandle file, uint64_t* endOfFile) {
    if (ZOK_INJECTED_FAULT(kQueryFileSize) || file == 0)
        return false;
    struct stat status;
    if (fstat(FileOf(file)->fd, &status) != 0)
        return FailedWithErrno();
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

bool SetFileLength(FileHandle file, uint32_t length) {
    if (ZOK_INJECTED_FAULT(kSetFileLength) || file == 0)
        return false;
    const int fd = FileOf(file)->fd;
    return RetryInterrupted([&] { return ftruncate(fd, static_cast<off_t>(length)); }) == 0 ||
           FailedWithErrno();
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
    if (file == 0)
        return false;
    if (fstat(FileOf(file)->fd, &status) != 0)
        return FailedWithErrno();
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
    return futimens(FileOf(file)->fd, times) == 0 || FailedWithErrno();
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
    // An injected failure takes the road of a refused flush, with its errno (fault_injection.h).
    const bool injected = ZOK_INJECTED_FAULT(kFlushFile);
    if (file == 0)
        return false;
    const int fd = FileOf(file)->fd;
    return (!injected && RetryInterrupted([&] { return fdatasync(fd); }) == 0) || FailedWithErrno();
}
