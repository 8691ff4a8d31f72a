// Folders, for the walk of -r (cli/walk.h). Implemented by folder_listing_posix.cpp and
// folder_listing_win32.cpp. False with the reason noted on failure.
#pragma once
#include <string>
#include <vector>

#include "cli/walk.h"

// What the operand at `full` is, a link at its end not followed.
bool LookAtOperand(const std::u16string& full, EntryType* type, FolderIdentity* identity);
// The walk's lister (FolderLister): opens the folder `name` of the open folder `parent` (0:
// `name` is a full path), nothing followed, and lists its entries. A folder that is no longer
// the one its parent's listing named, or that is on another mount than its parent, is refused.
bool OpenAndListFolder(FolderHandle parent, const std::u16string& name,
                       const FolderIdentity& identity, FolderHandle* folder,
                       std::vector<FolderEntry>* entries);
void CloseFolder(FolderHandle folder);
// Removes the folder `name` of the open folder `parent` (0: `name` is a full path) if it is
// empty; *holdsSomething when it is not.
bool RemoveEmptyFolder(FolderHandle parent, const std::u16string& name, bool* holdsSomething);
