#include "ui/command_line_path.h"

#include <algorithm>
#include <cstddef>

#include "fileops/app_state.h"

bool PickPathFromCommandLine(const char16_t* commandLine, char16_t* path) {
    if (commandLine == nullptr || commandLine[0] == u'\0')
        return false;
    const char16_t* colon = nullptr;
    int colons = 0;
    for (const char16_t* unit = commandLine + 1; *unit != u'\0'; ++unit) {
        if (*unit == u':' && ++colons == 2) {
            colon = unit;
            break;
        }
    }
    if (colon == nullptr)
        return false;

    const char16_t* start = colon - 1;
    const char16_t* end = colon + 1;
    while (*end != u'\0' && *end != u'"') ++end;
    const size_t length = static_cast<size_t>(end - start);
    if (length >= kPathCapacity)
        return false;

    *std::copy(start, end, path) = u'\0';
    return true;
}
