// The small POSIX I/O chores that the system-access backend and the command line share, each
// written once: retrying a call a signal interrupted, noting errno as the reason of a failure,
// moving all of a buffer to or from a file, and reading one line with a limit.
#pragma once
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fileops/file_open.h"
#include "fileops/line_result.h"

// Calls `call` again for as long as a signal interrupts it (-1 with EINTR); returns the result
// of the last call.
template <typename Call>
auto RetryInterrupted(Call call) {
    auto result = call();
    while (result == -1 && errno == EINTR) result = call();
    return result;
}

// Notes errno as the reason why the call that just failed was refused (system_reason.h), for
// the command line's message. Returns false, for `return FailedWithErrno();`.
bool FailedWithErrno();
// Notes that a failure has no reason of its own (the input ended first), so that an older one is
// not shown with it. Returns false.
bool FailedWithoutReason();

// Moves exactly `size` bytes between `buffer` and `fd` from `offset` on through `transfer`
// (pread, pwrite, or read or write that ignore the offset), in as many calls as the system
// needs. False on an error, with the reason noted, and when the input ends first. `*moved`, if
// given, is what moved, also when it falls short.
template <typename Byte, typename Transfer>
bool TransferWhole(int fd, off_t offset, Byte* buffer, size_t size, Transfer transfer,
                   size_t* moved = nullptr) {
    size_t done = 0;
    while (done < size) {
        const ssize_t count = RetryInterrupted([&] {
            return transfer(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
        });
        if (count < 0)
            return FailedWithErrno();
        if (count == 0)
            return FailedWithoutReason();
        done += static_cast<size_t>(count);
        if (moved != nullptr)
            *moved = done;
    }
    return true;
}

// Writes all `size` bytes at the descriptor's position. False with the reason noted.
bool WriteAll(int fd, const void* data, size_t size);

// Reads one line from `fd` byte by byte, so that nothing after it is taken from a shared input.
LineResult ReadLine(int fd, size_t limit, std::string* line);

// A FolderHandle (file_open.h) on POSIX: the descriptor plus one, so that 0 stays "none".
inline int FolderDescriptor(FolderHandle folder) {
    return static_cast<int>(folder) - 1;
}
inline FolderHandle FolderHandleOf(int fd) {
    return static_cast<FolderHandle>(fd) + 1;
}

// Which mount `place` is on: the kernel's mount id (Linux 5.8 on), else its device. A bind mount
// keeps the device of what it shows, so only the mount id tells it from a plain folder; a mount's
// root is a mount of its own either way.
uint64_t MountOf(const struct statx& place);
bool IsMountRoot(const struct statx& place);
// statx of `name` in `folder` (an empty name: `folder` itself), nothing followed; false with the
// reason noted.
bool LookAt(int folder, const char* name, struct statx* place);
