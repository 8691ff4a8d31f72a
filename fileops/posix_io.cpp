#include "fileops/posix_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>

#include "fileops/system_reason.h"

bool FailedWithErrno() {
    NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(errno)));
    return false;
}

bool FailedWithoutReason() {
    NoteSystemReason(SystemReason::kNone);
    return false;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const auto write = [](int to, const char* bytes, size_t count, off_t) {
        return ::write(to, bytes, count);
    };
    return TransferWhole(fd, 0, static_cast<const char*>(data), size, write);
}

LineResult ReadLine(int fd, size_t limit, std::string* line) {
    line->clear();
    // Room for the whole line at once: a password grown by reallocation would leave copies of its
    // start in freed blocks.
    line->reserve(limit);
    char c;
    while (true) {
        const ssize_t count = RetryInterrupted([&] { return read(fd, &c, 1); });
        if (count < 0) {
            FailedWithErrno();
            return LineResult::kCannotRead;
        }
        if (count == 0 || c == '\n')
            return LineResult::kRead;
        if (line->size() == limit)
            return LineResult::kTooLong;
        line->push_back(c);
    }
}

uint64_t MountOf(const struct statx& place) {
    if ((place.stx_mask & STATX_MNT_ID) != 0)
        return place.stx_mnt_id;
    return (uint64_t{1} << 63) | (uint64_t{place.stx_dev_major} << 32) | place.stx_dev_minor;
}

bool IsMountRoot(const struct statx& place) {
    return (place.stx_attributes_mask & place.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

bool LookAt(int folder, const char* name, struct statx* place) {
    const int flags = AT_SYMLINK_NOFOLLOW | (name[0] == 0 ? AT_EMPTY_PATH : 0);
    const unsigned mask = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_MNT_ID;
    return statx(folder, name, flags, mask, place) == 0 || FailedWithErrno();
}
