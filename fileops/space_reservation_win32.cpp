// The space reservation on the Windows native services: the allocation size, else a room check.
#include <windows.h>
#include <winternl.h>

#include "fileops/nt_file_win32.h"
#include "fileops/space_reservation.h"
#include "fileops/system_reason.h"

// The allocation size, not the end of file: the clusters are taken and the file reads as it did
// (FAT and NTFS; a file that a program has marked sparse keeps its holes, which are not
// reserved here). An allocation below the end of file would cut the file, so it is only raised.
// Where the service does not take the allocation size (Wine 8.0: STATUS_NOT_IMPLEMENTED), no room
// is reserved, rather than grow the file: the volume's free clusters are checked instead.
bool ReserveSpace(FileHandle file, uint32_t length) {
    FILE_STANDARD_INFORMATION information = {};
    if (!Succeeded(QueryStandardInformation(file, &information)))
        return false;
    if (static_cast<uint64_t>(information.AllocationSize.QuadPart) >= length ||
        static_cast<uint64_t>(information.EndOfFile.QuadPart) >= length) {
        return true;
    }
    LARGE_INTEGER allocation = {};
    allocation.QuadPart = length;
    const NTSTATUS status =
        SetInformation(HandleOf(file), &allocation, sizeof allocation, FileAllocationInformation);
    if (status != kNotImplemented && status != kInvalidInfoClass)
        return Succeeded(status);
    // Nothing reserved: the room is checked instead, in whole clusters, so that a full disk
    // refuses even a growth of a few bytes that needs a new cluster before the first byte.
    FILE_FS_SIZE_INFORMATION disk = {};
    IO_STATUS_BLOCK io = {};
    if (NtQueryVolumeInformationFile(HandleOf(file), &io, &disk, sizeof disk,
                                     FileFsSizeInformation) != 0) {
        return true;  // a volume that tells nothing of itself is not judged
    }
    const uint64_t cluster = uint64_t{disk.SectorsPerAllocationUnit} * disk.BytesPerSector;
    if (cluster == 0)
        return true;
    const uint64_t needed = (length + cluster - 1) / cluster -
                            static_cast<uint64_t>(information.AllocationSize.QuadPart) / cluster;
    if (needed <= static_cast<uint64_t>(disk.AvailableAllocationUnits.QuadPart))
        return true;
    NoteSystemReason(SystemReasonOfCode(0xC000007F));  // STATUS_DISK_FULL
    return false;
}
