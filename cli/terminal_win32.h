// What terminal_win32.cpp shares with streams_win32.cpp; Windows only (POSIX has no such handle).
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "cli/platform.h"

// Reads one line of bytes from `file`, up to "\n" (not kept) or the end, byte by byte so that
// nothing after it is taken from a shared input; as the ReadLineBytesFrom functions do.
LineResult ReadLineBytesFromHandle(HANDLE file, size_t limit, std::string* bytes);
