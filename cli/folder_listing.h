// Folders, for the walk of -r (cli/walk.h). Implemented by folder_listing_posix.cpp and
// folder_listing_win32.cpp. False with the reason noted on failure.
#pragma once
#include <string>
#include <vector>

#include "cli/walk.h"

// What the operand at `full` is, a link at its end not followed.
bool LookAtOperand(const std::u16string& full, EntryType* type, FolderIdentity* identity);
// The walk's lister (FolderLister): the entries of the folder at `full`, nothing followed.
bool ListFolder(const std::u16string& full, const FolderIdentity& identity,
                std::vector<FolderEntry>* entries);
// Removes the folder at `full` if it is empty; *holdsSomething when it is not.
bool RemoveEmptyFolder(const std::u16string& full, bool* holdsSomething);
