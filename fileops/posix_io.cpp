#include "fileops/posix_io.h"

#include <unistd.h>

#include <cstdint>

#include "fileops/system_reason.h"

bool FailedWithErrno() {
    NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(errno)));
    return false;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t count = RetryInterrupted([&] { return write(fd, bytes, size); });
        if (count < 0)
            return FailedWithErrno();
        bytes += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}

LineStatus ReadLine(int fd, size_t limit, std::string* line) {
    line->clear();
    char c;
    while (true) {
        const ssize_t count = RetryInterrupted([&] { return read(fd, &c, 1); });
        if (count < 0) {
            FailedWithErrno();
            return LineStatus::kFailed;
        }
        if (count == 0 || c == '\n')
            return LineStatus::kRead;
        if (line->size() == limit)
            return LineStatus::kTooLong;
        line->push_back(c);
    }
}
