// Names made absolute, and how a path separates its folders. Implemented by full_path_posix.cpp
// and full_path_win32.cpp.
#pragma once
#include <string>
#include <string_view>

// `name` made absolute against the current directory, without resolving links. False when the
// current directory cannot be had.
bool MakeFullPath(std::u16string_view name, std::u16string* full);
// The units that end a folder's name in a path.
extern const std::u16string_view kPathSeparators;
// The separator a full path puts between a folder and a name in it.
char16_t PathSeparator();
