// Test seam: makes the n-th system operation fail, so tests can drive every failure path of a
// run. Compiled only with ZOK_FAULT_INJECTION (a test build option); product builds have no
// trace of it. The POSIX backend counts its operations here; the Windows backend does not.
#pragma once
#include <cstdint>

#ifdef ZOK_FAULT_INJECTION

// The counted operations of the system-access layer. Freeing a buffer, joining a thread and
// ending the program are not counted: they have no failure to report.
enum class SystemOperation : uint32_t {
    kNone,
    kOpenSourceForCipher,
    kOpenForShred,
    kProbeOutput,
    kCreateOutput,
    kRenameOutput,
    kQueryFileSize,
    kAllocateBuffer,
    kReadWhole,
    kWriteAt,
    kSetFileLength,
    kMarkForDeletion,
    kCloseFile,
    kStartThread,
    kStartJoinableThread,
    kFlushFile,
    kReserveSpace,
};

// Restarts the count: the n-th counted operation from now fails (1 = the next one); 0 = none
// fails. Only that one operation fails, and the `alsoAt`-th as well when it is not 0 (a second
// failure, such as one during the clean-up after the first); later ones succeed again.
void FailSystemOperationAt(uint32_t n, uint32_t alsoAt = 0);
// Counted operations since the last FailSystemOperationAt (or since start).
uint32_t SystemOperationsSoFar();
// The operation that was made to fail most recently, kNone if none has been since the last
// FailSystemOperationAt.
SystemOperation LastFailedOperation();
// An English name for test messages, e.g. "ReadWhole".
const char* SystemOperationName(SystemOperation operation);

// Makes QueryFileSize report `size` as the end of file, whatever the file holds (0: the real
// size again), so tests reach the size limits where no sparse file of that size can be made.
void ReportFileSizeAs(uint64_t size);
// The size set by ReportFileSizeAs, 0 when none; read by the backend's size query.
uint64_t ReportedFileSize();

// A program started with ZOK_TEST_SIGNAL_IN_SAVE="SIGNAL:OPERATION" in its environment raises
// SIGNAL in itself just before the OPERATION-th counted operation of every save (1 = the first),
// so that tests deliver an end request at a known step of a save; one started with
// ZOK_TEST_FAIL_IN_SAVE="OPERATION" makes that operation of every save fail (a failing write
// writes nothing).

// The steps of RenameOutput in which file systems differ. Each refused step fails with the
// chosen errno before it is tried, so tests lead the backend through a file system without the
// no-replace rename, one without hard links too, and a removal of the unfinished name that fails.
enum class RenameStep : uint32_t {
    kNoReplaceRename,        // renameat2 with RENAME_NOREPLACE
    kLink,                   // the output's name as a second link
    kUnlinkUnfinished,       // the unfinished name removed after the link
    kRenameOverPlaceholder,  // without links: the rename over the empty placeholder
    kCount,
};
// Makes every later `step` refuse with `error` as errno; 0 lets it run again.
void RefuseRenameStep(RenameStep step, int error);
// The errno `step` is refused with now, 0 when it runs; read by the backend.
int RenameStepRefusal(RenameStep step);

// A WriteAt made to fail first writes its bytes that lie below file offset `end` (0: none) when
// `end` falls inside it, as a save stopped part way through its write leaves them, page by page;
// one that `end` does not cut writes nothing.
void WriteBeforeFailingUpTo(uint32_t end);
uint32_t WrittenBeforeFailingUpTo();

// Makes every later reading of the time-stamp counter give `value` (0: the counter again), so
// that a test encrypts with the salt it chose: whether the bytes of a stopped encryption locate
// its cut depends on the salt (a few salts in a hundred leave it unlocated).
void ReadTimeStampCounterAs(uint32_t value);
uint32_t TimeStampCounterReadAs();

// Lets every reservation past its room check (true), so that tests reach a reservation that
// the file system itself refuses; false checks the room again.
void SkipRoomCheck(bool skip);
bool RoomCheckSkipped();

// Calls `watcher` at the start of every counted operation, before it runs (nullptr: none), so
// that tests can look at the files at each step of a run. Called on the run's threads.
using OperationWatcher = void (*)(SystemOperation operation);
void WatchOperations(OperationWatcher watcher);

// The walk calls this before each file it runs, once the file's folder is open: a program started
// with ZOK_TEST_BEFORE_WALKED_FILE="COMMAND" in its environment runs that shell command there,
// once, so that tests change the tree between the listing and the run.
void BeforeWalkedFile();

// Called by the backend at the start of each counted operation: counts it and tells whether
// this one must fail, leaving errno EIO then for an operation that takes the road of the
// system's refusal. Safe from any thread.
bool ShouldFail(SystemOperation operation);

// Buffers and files the backend holds now, so tests can show that every run gives back what it
// took (a large buffer is mapped memory, which the leak checker does not see). The backend
// reports each allocation and release, each open and close, with +1 or -1.
void CountLiveBuffers(int delta);
void CountOpenFiles(int delta);
uint32_t LiveBufferCount();
uint32_t OpenFileCount();

#endif
