// System access for the run logic: files, memory and threads. Two backends implement this
// header: file_access_win32.cpp on the Windows native services, file_access_posix.cpp on POSIX.
// Every operation returns true on success; callers choose the message for a failure. A failed
// open leaves the handle 0 and a failed allocation the base null, so callers need not clear them.
#pragma once
#include <cstdint>

// Opaque handles; 0 means "none".
using FileHandle = uintptr_t;
using ThreadHandle = uintptr_t;

// --- Files. `nativePath` is "\??\" followed by a full path (Windows: with a drive letter;
// POSIX: an absolute path). Every mode asks for write access and shares only reading, so a
// read-only file, a directory or a file another open holds for writing fails every mode.
bool OpenSourceForCipher(const char16_t* nativePath, FileHandle* file);  // read + write, existing
bool OpenForShred(const char16_t* nativePath, FileHandle* file);         // write + delete, existing
// Opens or creates; `created` tells which.
bool OpenOutput(const char16_t* nativePath, FileHandle* file, bool* created);

// The 64-bit end of file. Callers refuse files of 2^31 bytes or more.
bool QueryFileSize(FileHandle file, uint64_t* endOfFile);
// Reads exactly `size` bytes from offset 0; a short read fails.
bool ReadWhole(FileHandle file, uint8_t* buffer, uint32_t size);
// Writes exactly `size` bytes at offset 0; a short write fails.
bool WriteFromStart(FileHandle file, const uint8_t* data, uint32_t size);
// Truncates or extends to exactly `length` bytes.
bool SetFileLength(FileHandle file, uint32_t length);
// Pushes what was written through to the storage device.
bool FlushFile(FileHandle file);
// The file is removed when its handle is closed.
bool MarkForDeletion(FileHandle file);
void CloseFile(FileHandle file);

// --- Memory. Rounds *size up to a multiple of 4096 in place and returns zero-filled memory;
// a zero size is refused. The caller frees the block with FreeBuffer.
bool AllocateBuffer(uint32_t* size, uint8_t** base);
void FreeBuffer(uint8_t* base);

// --- Threads.
using ThreadRoutine = void (*)(uintptr_t argument);
// Starts a thread that ends itself (EndCurrentThread) and is never waited for. Returns 0 when
// the thread could not be started.
ThreadHandle StartThread(ThreadRoutine routine, uintptr_t argument);
// Starts a thread that returns from `routine` and that the starter waits for with JoinThread.
ThreadHandle StartJoinableThread(ThreadRoutine routine, uintptr_t argument);
// Waits until the thread has ended and releases its handle.
void JoinThread(ThreadHandle thread);
[[noreturn]] void EndCurrentThread();
[[noreturn]] void EndProgram();
