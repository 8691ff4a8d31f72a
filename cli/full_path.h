// Names made absolute, and how a path separates its folders. MakeFullPath and the separators are
// implemented by full_path_posix.cpp and full_path_win32.cpp.
#pragma once
#include <string>
#include <string_view>

// `name` made absolute against the current directory, without resolving links. False when the
// current directory cannot be had.
bool MakeFullPath(std::u16string_view name, std::u16string* full);
// The units that end a folder's name in a path; the first is the one a full path puts between a
// folder and a name in it.
extern const std::u16string_view kPathSeparators;

// False, after the error was printed about the current FILE, for a name that is not text.
bool IsTextName(const std::u16string& name);
// `name` made absolute for a run, check or recover: text, against the current directory. False
// after the error was printed about the current FILE (cli/console.h).
bool FullPathFor(const std::u16string& name, std::u16string* full);
// Whether `full` fits the dialog's path field, which a run's path and output go through; false
// after the error was printed about the current FILE.
bool FitsPathField(const std::u16string& full);
