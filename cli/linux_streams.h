// What only the Linux program has: "-" for standard input or output, through a memory file, and
// numbered descriptors as a password source. Both builds compile the callers, so that each
// build checks them, but only under `if constexpr (HasDashAndDescriptors())`; linux_streams.cpp,
// built only on Linux, defines the functions, and the Windows program refers to none of them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/terminal.h"

constexpr bool HasDashAndDescriptors() {
#ifdef __linux__
    return true;
#else
    return false;
#endif
}

// The same as ReadLineBytesFromStdin from the numbered descriptor `fd` (terminal_posix.cpp).
LineResult ReadLineBytesFromDescriptor(int fd, size_t limit, std::string* bytes);
// Copies standard input into a memory file, stopping after `limit` + 1 bytes, and names it for
// the runs; `path` receives the full path that opens it. False with the reason noted.
bool LoadStandardInput(uint64_t limit, std::u16string* path);
// The same with the regular file `name` (a symbolic link is not followed) in place of standard
// input, for a result that goes to standard output. False with the reason noted.
bool LoadNamedFile(std::u16string_view name, uint64_t limit, std::u16string* path);
// Copies the memory file, as the run left it, to standard output. False with the reason noted.
bool CopyMemoryFileToStdout();
