#include "fileops/posix_io.h"

#include <unistd.h>

#include <cstdint>

#include "fileops/system_reason.h"

bool FailedWithErrno() {
    NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(errno)));
    return false;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const auto write = [](int to, const char* bytes, size_t count, off_t) {
        return ::write(to, bytes, count);
    };
    return TransferWhole(fd, 0, static_cast<const char*>(data), size, write);
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
