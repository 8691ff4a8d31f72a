// System access for the run logic: files, memory and threads. Two backends implement this
// header: file_access_win32.cpp on the Windows native services, file_access_posix.cpp on POSIX.
// Every operation returns true on success; callers choose the message for a failure. A failed
// open leaves the handle 0 and a failed allocation the base null, so callers need not clear them.
#pragma once
#include <cstdint>

// Opaque handles; 0 means "none".
using FileHandle = uintptr_t;
using ThreadHandle = uintptr_t;

// What comes before the full path in a native path.
inline constexpr char16_t kNativePrefix[] = u"\\??\\";
constexpr uint32_t kNativePrefixLength = sizeof kNativePrefix / sizeof kNativePrefix[0] - 1;

// --- Files. `nativePath` is kNativePrefix followed by a full path (Windows: with a drive
// letter; POSIX: an absolute path). Every mode but OpenForReading asks for write access and shares
// only reading, so a read-only file, a directory or a file another open holds for writing fails
// every mode.
bool OpenSourceForCipher(const char16_t* nativePath, FileHandle* file);  // read + write, existing
bool OpenForShred(const char16_t* nativePath, FileHandle* file);         // write + delete, existing
// Read only, existing, for a look that changes nothing: any regular file, read-only ones too;
// it fails while another open holds the file for writing, and holds off writers meanwhile.
bool OpenForReading(const char16_t* nativePath, FileHandle* file);
// The size of the regular file at `nativePath` and its first `count` bytes, or all of them when it
// holds fewer, for a glance that decides only whether to go on: POSIX takes no lock, so a file that
// another save is writing may show its start from before or after that save.
bool GlanceAtFile(const char16_t* nativePath, uint8_t* start, uint32_t count, uint64_t* size);
// Whether an output may take this name: true with *exists false when nothing has it, true with
// *exists set when an existing file there opens for writing (opened and closed again), false
// otherwise (a folder, a link, a read-only file, a file in use). A missing folder counts as a
// free name here and fails at the create. `*empty`, when given, tells whether an existing file
// there is empty (as a separate save stopped right after taking the name leaves it).
bool ProbeOutput(const char16_t* nativePath, bool* exists, bool* empty = nullptr);
// Creates a new file for writing and for removal through its handle (MarkForDeletion); fails
// when the name exists. POSIX: with no more permission than the open file `model` has.
bool CreateOutput(const char16_t* nativePath, FileHandle model, FileHandle* file);
// Gives a file made by CreateOutput the name `nativePath` in the same folder, replacing a file
// of that name only when `replace`. POSIX flushes the folder, so the new name is on the disk
// when this returns true; NTFS logs the rename in its journal. The file is the user's from then
// on: its handle stays open only to be closed (POSIX refuses to mark it for deletion, as its
// recorded name is gone).
bool RenameOutput(FileHandle file, const char16_t* nativePath, bool replace);

// The 64-bit end of file. Callers refuse files of 2^31 bytes or more.
bool QueryFileSize(FileHandle file, uint64_t* endOfFile);
// Reads exactly `size` bytes from offset 0; a short read fails.
bool ReadWhole(FileHandle file, uint8_t* buffer, uint32_t size);
// Writes exactly `size` bytes at `offset`; a short write fails. `*reached`, when given, is set
// to how many of the bytes may be in the file: all of them on success, and after a failure 0
// only when surely none is (a write cut short leaves the bytes before the cut).
bool WriteAt(FileHandle file, uint32_t offset, const uint8_t* data, uint32_t size,
             uint32_t* reached = nullptr);
inline bool WriteFromStart(FileHandle file, const uint8_t* data, uint32_t size,
                           uint32_t* reached = nullptr) {
    return WriteAt(file, 0, data, size, reached);
}
// Truncates or extends to exactly `length` bytes.
bool SetFileLength(FileHandle file, uint32_t length);
// Allocates the first `length` bytes of the file on the disk, holes included, so that writing
// them cannot fail for want of space, without changing what the file reads: its end of file does
// not move, and a reservation stopped at any moment leaves the file byte for byte as it was. A
// failed reservation gives back what it took. POSIX: a copy-on-write file system must have room
// for all `length` bytes, since an overwrite takes new blocks; where the file system cannot
// reserve past the end (ext2, FUSE ones), only the holes below the end are filled, by writing
// zero bytes over zero bytes, and the rest rests on the room check.
bool ReserveSpace(FileHandle file, uint32_t length);
// What a save carries over from a source to its result, read before the source's bytes. The
// dates are in the backend's own units (POSIX: nanoseconds since 1970; Windows: 100 ns since
// 1601), the owner, group and mode POSIX's (0 on Windows); callers only hand them back.
struct FileFacts {
    int64_t accessed = 0;
    int64_t modified = 0;
    uint32_t names = 1;  // hard links: more than one means other names share the bytes
    uint32_t owner = 0;
    uint32_t group = 0;
    uint32_t mode = 0;  // the permission bits
};
bool QueryFileFacts(FileHandle file, FileFacts* facts);
// Gives the file the access and modification dates of `facts`, as the last change through this
// handle: nothing written before the close moves them again.
bool SetFileDates(FileHandle file, const FileFacts& facts);
// Gives `file` (made by CreateOutput) the owner, group and permission bits of `facts`. Windows
// has no mode bits: there an output keeps the folder's inherited permissions, as every output.
bool TakeOwnerAndMode(const FileFacts& facts, FileHandle file);
// Pushes what was written through to the storage device.
bool FlushFile(FileHandle file);
// The file is removed when its handle is closed.
bool MarkForDeletion(FileHandle file);
void CloseFile(FileHandle file);

// --- The folder a walk stands in. A walk opens each folder relative to its parent's open
// folder and never resolves a path string again (cli/folder_listing.h). While it holds a folder
// here, every operation above on a native path whose folder is the held folder's path works
// relative to that open folder, by the last name alone: a folder renamed or swapped for a link
// since the listing leads nowhere else. An existing file opened so must be a regular file of
// one name (hard links show its data elsewhere) on the held folder's own mount (a bind mount of a
// file leads outside): what the walk met, never what a link, a mount or another name leads to.
// The walk owns the folder, changes the held one only between runs and lets go before it
// closes it (holding the held folder again costs nothing).
using FolderHandle = uintptr_t;  // 0 means none. POSIX: the descriptor plus one; Windows: a handle
// False when the folder cannot be held (then nothing is): the walk must not run on its entries.
bool HoldFolder(FolderHandle folder, const char16_t* nativePath);
void LetGoOfFolder();

// --- Memory. Rounds *size up to a multiple of 4096 in place and returns zero-filled memory;
// a zero size is refused. The caller frees the block with FreeBuffer.
bool AllocateBuffer(uint32_t* size, uint8_t** base);
void FreeBuffer(uint8_t* base);

// --- Threads.
using ThreadRoutine = void (*)(uintptr_t argument);
// Starts a thread that ends when `routine` returns; nobody waits for it, and its handle is
// released at once. False when the thread could not be started.
bool StartThread(ThreadRoutine routine, uintptr_t argument);
// Starts a thread that returns from `routine` and that the starter waits for with JoinThread.
ThreadHandle StartJoinableThread(ThreadRoutine routine, uintptr_t argument);
// Waits until the thread has ended and releases its handle.
void JoinThread(ThreadHandle thread);
[[noreturn]] void EndProgram();
