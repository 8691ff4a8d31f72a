#include <cerrno>

#include "fileops/system_reason.h"

namespace {
struct ReasonOfErrno {
    int error;
    SystemReason reason;
};
constexpr ReasonOfErrno kReasons[] = {
    {ENOENT, SystemReason::kNoSuchFile},
    {EISDIR, SystemReason::kIsDirectory},
    {EACCES, SystemReason::kPermissionDenied},
    {EPERM, SystemReason::kPermissionDenied},
    {ELOOP, SystemReason::kSymbolicLink},  // O_NOFOLLOW met a link
    {ENXIO, SystemReason::kNotRegularFile},
    {ENODEV, SystemReason::kNotRegularFile},
    {ETXTBSY, SystemReason::kInUse},
    {EBUSY, SystemReason::kInUse},
    {EWOULDBLOCK, SystemReason::kInUse},
    {ENOSPC, SystemReason::kNoSpace},
    {EFBIG, SystemReason::kNoSpace},
    {EDQUOT, SystemReason::kQuotaExceeded},
    {EROFS, SystemReason::kReadOnlyFileSystem},
    {ENAMETOOLONG, SystemReason::kNameTooLong},
    {ENOTDIR, SystemReason::kNotDirectory},
    {EIO, SystemReason::kInputOutput},
    {EPIPE, SystemReason::kBrokenPipe},
};
}  // namespace

SystemReason SystemReasonOfCode(uint32_t code) {
    for (const ReasonOfErrno& known : kReasons) {
        if (known.error == static_cast<int>(code))
            return known.reason;
    }
    return SystemReason::kNone;
}
