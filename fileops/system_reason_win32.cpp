#include <windows.h>

#include "fileops/system_reason.h"

// NTSTATUS values from the file services, and the Win32 errors of the front end's own opens.
SystemReason SystemReasonOfCode(uint32_t code) {
    switch (code) {
        case 0xC0000034u:  // STATUS_OBJECT_NAME_NOT_FOUND
        case 0xC000003Au:  // STATUS_OBJECT_PATH_NOT_FOUND
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return SystemReason::kNoSuchFile;
        case 0xC00000BAu:  // STATUS_FILE_IS_A_DIRECTORY
            return SystemReason::kIsDirectory;
        case 0xC0000022u:  // STATUS_ACCESS_DENIED
        case 0xC0000121u:  // STATUS_CANNOT_DELETE
        case ERROR_ACCESS_DENIED:
            return SystemReason::kPermissionDenied;
        case 0xC0000043u:  // STATUS_SHARING_VIOLATION
        case ERROR_SHARING_VIOLATION:
            return SystemReason::kInUse;
        case 0xC000007Fu:  // STATUS_DISK_FULL
        case ERROR_DISK_FULL:
            return SystemReason::kNoSpace;
        // The user's share of the volume (NTFS quotas). STATUS_QUOTA_EXCEEDED and
        // ERROR_NOT_ENOUGH_QUOTA are the process's memory quotas, not the disk's: no reason.
        case 0xC0000802u:  // STATUS_DISK_QUOTA_EXCEEDED
        case 1295u:        // ERROR_DISK_QUOTA_EXCEEDED
            return SystemReason::kQuotaExceeded;
        case 0xC00000A2u:  // STATUS_MEDIA_WRITE_PROTECTED
            return SystemReason::kReadOnlyFileSystem;
        case 0xC0000103u:  // STATUS_NOT_A_DIRECTORY
            return SystemReason::kNotDirectory;
        case 0xC0000185u:  // STATUS_IO_DEVICE_ERROR
            return SystemReason::kInputOutput;
        default:
            return SystemReason::kNone;
    }
}
