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
};
constexpr SystemReason kLastSystemReason = SystemReason::kBrokenPipe;

void NoteSystemReason(SystemReason reason);
SystemReason LastSystemReason();
void ClearSystemReason();

// The reason for a POSIX errno value (POSIX builds) or an NTSTATUS or Win32 error (Windows).
SystemReason SystemReasonOfCode(uint32_t code);
