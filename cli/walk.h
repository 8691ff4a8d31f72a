// The walk of -r: which entries of a tree a command takes, in which order, and why it leaves
// the others. The steps are a pure function of the folders' listings: the system is reached only
// through the lister it is given (cli/folder_listing.h for the program, a table in the tests). A
// folder is listed whole before any of its entries is taken, and only its listing is walked: a
// file that a run writes beside its source is never met. Each folder is opened relative to its
// parent's open folder and held open while its entries are taken, and each step names its entry
// by that open folder and its name: nothing is reached by a path string resolved again, so a
// folder renamed or swapped for a link meanwhile leads nowhere else. Only the listings and open
// folders on the way down are held, whatever the size of the tree.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fileops/file_open.h"

// What an entry of a folder is, as the lister sees it without following anything.
enum class EntryType : uint8_t {
    kFile,             // a regular file
    kFolder,           // a folder on the walk's file system
    kLink,             // a symbolic link, a junction or another reparse point: never followed
    kSpecial,          // a device, a FIFO or a socket: never opened
    kOtherFileSystem,  // a folder on another mount (bind mounts too): never entered
    kManyNames,        // a regular file with other names (hard links): its data shows elsewhere
};

// A folder's identity (device and inode on POSIX; none on Windows, where every way into another
// folder is a reparse point). A folder met again under another name (a bind mount of an
// ancestor) is not walked twice.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool known = false;
    bool operator==(const FolderIdentity&) const = default;
};

struct FolderEntry {
    std::u16string name;  // as a FILE operand carries it (cli/arguments.h)
    std::string sortKey;  // the system's order: the name's bytes (POSIX), its units big-endian
    EntryType type = EntryType::kFile;
    FolderIdentity identity;  // for folders
};

// How the walk reaches folders. `openAndList` opens the folder `name` of the open folder `parent`
// (parent 0: `name` is an operand's full path) without following anything, checks that it is
// still what its parent's listing said (`identity`) on its parent's mount, and lists it into
// `entries`, in no particular order; false when it cannot (nothing is left open). The walk
// closes `*folder` through `close` once its entries are behind.
struct FolderLister {
    std::function<bool(FolderHandle parent, const std::u16string& name,
                       const FolderIdentity& identity, FolderHandle* folder,
                       std::vector<FolderEntry>* entries)>
        openAndList;
    std::function<void(FolderHandle folder)> close;
};

enum class StepKind : uint8_t {
    kRun,                  // a file for the command
    kSkipLink,             // never followed
    kSkipSpecial,          // never opened
    kSkipOtherFileSystem,  // a mount point: the walk stays on the named folder's mount
    kSkipManyNames,        // a file with other names: given alone it is treated
    kSkipWalkedFolder,     // a folder already walked, met again
    kSkipUnfinished,       // what an interrupted separate save left: reported, never taken
    kUnlistable,           // a folder that could not be listed: a failure
    kFolderEnd,            // every entry of this folder is behind (shred removes it if empty)
};

struct WalkStep {
    StepKind kind;
    std::u16string path;     // full, for the messages and the output's name
    std::u16string display;  // as the user named it: the operand, then the names below it
    // Where the entry is: its name in the open folder `folder`, which stays open until the
    // visitor returns (a folder's end: its name in its parent, itself closed already). An
    // operand has no folder (0) and its full path as its name.
    FolderHandle folder = 0;
    std::u16string name;
    // The files the walk has met so far, this one included: those of the operands and of every
    // folder listed yet. Each folder is listed once, so the count grows as the walk goes down.
    uint64_t filesKnown = 0;
};

// One operand of the command: its full path, how the user wrote it and what it is.
struct WalkOperand {
    std::u16string path;
    std::u16string display;
    EntryType type = EntryType::kFile;
    FolderIdentity identity;
};

// Takes each step in turn; false stops the walk there.
using WalkVisitor = std::function<bool(const WalkStep& step)>;

// The steps for the operands, in their order, each depth-first in name order: a file is a run, a
// folder is walked (`separator` between its path and an entry's name), anything else is
// skipped with its reason. `shredding`: leftovers of interrupted saves are shredded with the
// rest rather than reported. False when the visitor stopped the walk.
bool WalkTree(const std::vector<WalkOperand>& operands, char16_t separator, bool shredding,
              const FolderLister& lister, const WalkVisitor& visit);

// What a look at a file just before its run showed. kChanged: the name is gone since its folder
// was listed; kLink: it is a link (one the listing could not tell, too); kManyNames: it has
// other names; kWreck: what an interrupted save left, named already; kUnknown: the look failed,
// and the run says why.
enum class FileLook : uint8_t {
    kUnknown,
    kOwnContainer,
    kOther,
    kChanged,
    kLink,
    kManyNames,
    kWreck,
};

// Where a file of the walk goes after its look.
enum class FileVerdict : uint8_t {
    kRun,
    kSkipChanged,
    kSkipLink,
    kSkipManyNames,
    kSkipOwnContainer,     // encrypt: a second layer is never made by a walk
    kSkipNotOwnContainer,  // decrypt, passwd: this password opens it not
    kFailWreck,            // never encrypted again, never skipped unsaid
};

// The verdict for a file that `look` showed, for a walk that encrypts, or one that opens
// containers (decrypt, passwd); neither: shred.
FileVerdict JudgeFile(bool encrypting, bool opening, FileLook look);
