// "-" as FILE or as output: the input (standard input, or the named FILE) goes whole into a
// memory file, never into a file on disk, and the run works on it in place under the path that
// the stand-in gives it; the result is then copied to standard output.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "cli/linux_streams.h"
#include "fileops/posix_io.h"
#include "fileops/stand_in.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"

namespace {

int g_memoryFile = -1;

// Copies `from` to `to` from their positions on, up to the end of `from` or until more than
// `limit` bytes went.
bool CopyBytes(int from, int to, uint64_t limit) {
    static char chunk[1 << 16];
    for (uint64_t total = 0; total <= limit;) {
        const ssize_t count = RetryInterrupted([&] { return read(from, chunk, sizeof chunk); });
        if (count < 0)
            return FailedWithErrno();
        if (count == 0)
            return true;
        if (!WriteAll(to, chunk, static_cast<size_t>(count)))
            return false;
        total += static_cast<uint64_t>(count);
    }
    return true;
}

// Copies `input` into a new memory file, stopping after `limit` + 1 bytes (enough for the run
// to refuse the size), and names it for the runs.
bool LoadIntoMemory(int input, uint64_t limit, std::u16string* path) {
    g_memoryFile = memfd_create("zok-input", MFD_CLOEXEC);
    if (g_memoryFile < 0)
        return FailedWithErrno();
    if (!CopyBytes(input, g_memoryFile, limit))
        return false;
    const std::string link = "/proc/self/fd/" + std::to_string(g_memoryFile);
    SetStandInFile(link.c_str(), g_memoryFile);
    return Utf8ToUtf16(link, path);
}

}  // namespace

bool LoadStandardInput(uint64_t limit, std::u16string* path) {
    return LoadIntoMemory(STDIN_FILENO, limit, path);
}

bool LoadNamedFile(std::u16string_view name, uint64_t limit, std::u16string* path) {
    const std::string bytes = Utf16ToUtf8(name);
    const int fd = RetryInterrupted([&] {
        return open(bytes.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    });
    if (fd < 0)
        return FailedWithErrno();
    struct stat status;
    bool loaded = false;
    if (fstat(fd, &status) != 0) {
        FailedWithErrno();
    } else if (!S_ISREG(status.st_mode)) {
        NoteSystemReason(S_ISDIR(status.st_mode) ? SystemReason::kIsDirectory
                                                 : SystemReason::kNotRegularFile);
    } else {
        loaded = LoadIntoMemory(fd, limit, path);
    }
    close(fd);
    return loaded;
}

bool CopyMemoryFileToStdout() {
    if (lseek(g_memoryFile, 0, SEEK_SET) != 0)
        return FailedWithErrno();
    return CopyBytes(g_memoryFile, STDOUT_FILENO, UINT64_MAX);
}
