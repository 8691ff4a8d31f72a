// Why the system refused the last file operation that failed: the backends note it where a
// call fails, the command line adds it to its error text. The window does not show it. One
// record for the process; the command line clears it before each FILE it runs.
#pragma once
#include <cstdint>

enum class SystemReason : uint8_t {
    kNone,  // no reason known, or one without a text of its own
    kNoSuchFile,
    kIsDirectory,
    kPermissionDenied,
    kSymbolicLink,
    kNotRegularFile,
    kInUse,
    kNoSpace,
    kReadOnlyFileSystem,
    kNameTooLong,
    kNotDirectory,
    kInputOutput,
    kBrokenPipe,
    kQuotaExceeded,
    kMountPoint,  // a folder another file system (or a bind mount) is mounted on
    kOtherNames,  // a file with hard links, which a walk leaves alone
};
constexpr SystemReason kLastSystemReason = SystemReason::kOtherNames;

void NoteSystemReason(SystemReason reason);
SystemReason LastSystemReason();
void ClearSystemReason();

// The reason for a POSIX errno value (POSIX builds) or an NTSTATUS or Win32 error (Windows).
SystemReason SystemReasonOfCode(uint32_t code);
