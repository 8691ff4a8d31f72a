// The window's path pickup from its whole command line. The input's bytes are the line's UTF-16
// units; the path buffer is exactly as large as the window's, so a write past it is caught.
// The result is checked against the rule itself: from the unit before the second colon (the
// count starting at the second unit) up to the next '"' or the end, refused when it would not
// fit, and nothing written then.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fileops/app_state.h"
#include "fuzz/require.h"
#include "ui/command_line_path.h"

const char kFuzzTarget[] = "command_line_path";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The line as the system hands it over: zero-terminated; an inner zero ends it early.
    std::vector<char16_t> line(size / 2 + 1, 0);
    std::memcpy(line.data(), data, size / 2 * 2);
    size_t length = 0;
    while (line[length] != 0) ++length;

    size_t start = 0, end = 0;
    bool expected = false;
    int colons = 0;
    for (size_t i = 1; i < length; ++i) {
        if (line[i] == u':' && ++colons == 2) {
            start = i - 1;
            end = i + 1;
            while (end < length && line[end] != u'"') ++end;
            expected = end - start < kPathCapacity;
            break;
        }
    }

    char16_t* path = new char16_t[kPathCapacity];
    for (uint32_t i = 0; i < kPathCapacity; ++i) path[i] = kUntouched;
    const bool picked = PickPathFromCommandLine(line.data(), path);
    Require(picked == expected, "picked when it should not, or the reverse");
    if (picked) {
        for (size_t i = start; i < end; ++i) Require(path[i - start] == line[i], "wrong unit");
        Require(path[end - start] == 0, "no terminator");
        for (size_t i = end - start + 1; i < kPathCapacity; ++i)
            Require(path[i] == kUntouched, "wrote past the terminator");
    } else {
        for (uint32_t i = 0; i < kPathCapacity; ++i)
            Require(path[i] == kUntouched, "changed the buffer without a path");
    }
    delete[] path;
    return 0;
}
