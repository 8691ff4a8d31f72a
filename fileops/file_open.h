// System access, opening: files by their native path, the folder a walk holds, and the close.
// Every operation returns true on success, and a failure notes the system's reason
// (system_reason.h); callers choose the message. A failed open leaves the handle 0, so callers
// need not clear it.
#pragma once
#include <cstdint>

// Opaque handle; 0 means "none".
using FileHandle = uintptr_t;

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
void CloseFile(FileHandle file);  // 0: nothing

// --- The folder a walk stands in. A walk opens each folder relative to its parent's open
// folder and never resolves a path string again (cli/folder_listing.h). While it holds a folder
// here, every operation on a native path (here and in file_naming.h) whose folder is the held
// folder's path works relative to that open folder, by the last name alone: a folder renamed or
// swapped for a link since the listing leads nowhere else. An existing file opened so must be a
// regular file of one name (hard links show its data elsewhere) on the held folder's own mount (a
// bind mount of a file leads outside): what the walk met, never what a link, a mount or another
// name leads to. The walk owns the folder, changes the held one only between runs and lets go
// before it closes it (holding the held folder again costs nothing).
using FolderHandle = uintptr_t;  // 0 means none. POSIX: the descriptor plus one; Windows: a handle
// False when the folder cannot be held (then nothing is): the walk must not run on its entries.
bool HoldFolder(FolderHandle folder, const char16_t* nativePath);
void LetGoOfFolder();
