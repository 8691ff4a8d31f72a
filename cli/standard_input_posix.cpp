// "-" as FILE: standard input goes whole into a memory file, never into a file on disk, and
// the run works on it in place under the path that the stand-in gives it; the result is then
// copied to standard output.
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/platform.h"
#include "fileops/stand_in.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"

namespace {

int g_memoryFile = -1;

bool Failed() {
    NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(errno)));
    return false;
}

// Writes all of `size` bytes, retrying interrupted and partial writes.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t count = write(fd, data, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}

}  // namespace

bool HasStandardStreamFiles() {
    return true;
}

bool LoadStandardInput(uint64_t limit, std::u16string* path) {
    g_memoryFile = memfd_create("zok-standard-input", MFD_CLOEXEC);
    if (g_memoryFile < 0)
        return Failed();
    static char chunk[1 << 16];
    uint64_t total = 0;
    // One byte past the limit is enough for the run to refuse the size.
    while (total <= limit) {
        const ssize_t count = read(STDIN_FILENO, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return Failed();
        if (count == 0)
            break;
        if (!WriteAll(g_memoryFile, chunk, static_cast<size_t>(count)))
            return Failed();
        total += static_cast<uint64_t>(count);
    }
    const std::string link = "/proc/self/fd/" + std::to_string(g_memoryFile);
    SetStandInFile(link.c_str(), g_memoryFile);
    return Utf8ToUtf16(link, path);
}

bool CopyStandardInputFileToStdout() {
    static char chunk[1 << 16];
    off_t offset = 0;
    while (true) {
        const ssize_t count = pread(g_memoryFile, chunk, sizeof chunk, offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return Failed();
        if (count == 0)
            return true;
        if (!WriteAll(STDOUT_FILENO, chunk, static_cast<size_t>(count)))
            return Failed();
        offset += count;
    }
}
