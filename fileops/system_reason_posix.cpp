#include <cerrno>

#include "fileops/system_reason.h"

SystemReason SystemReasonOfCode(uint32_t code) {
    switch (static_cast<int>(code)) {
        case ENOENT:
            return SystemReason::kNoSuchFile;
        case EISDIR:
            return SystemReason::kIsDirectory;
        case EACCES:
        case EPERM:
            return SystemReason::kPermissionDenied;
        case ELOOP:  // O_NOFOLLOW met a link
            return SystemReason::kSymbolicLink;
        case ENXIO:
        case ENODEV:
            return SystemReason::kNotRegularFile;
        case ETXTBSY:
        case EBUSY:
        case EWOULDBLOCK:
            return SystemReason::kInUse;
        case ENOSPC:
        case EFBIG:
            return SystemReason::kNoSpace;
        case EDQUOT:
            return SystemReason::kQuotaExceeded;
        case EROFS:
            return SystemReason::kReadOnlyFileSystem;
        case ENAMETOOLONG:
            return SystemReason::kNameTooLong;
        case ENOTDIR:
            return SystemReason::kNotDirectory;
        case EIO:
            return SystemReason::kInputOutput;
        case EPIPE:
            return SystemReason::kBrokenPipe;
        default:
            return SystemReason::kNone;
    }
}
