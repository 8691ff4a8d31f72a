// The walk of -r: which entries of a tree a command takes, in which order, and why it leaves
// the others. The steps are a pure function of the folders' listings: the system is reached only
// through the lister it is given (ListFolder in cli/folder_listing.h for the program, a table in
// the tests). A folder is listed whole before any of its entries is taken, and only its listing is
// walked: a file that a run writes beside its source is never met. Only the listings of the
// folders on the way down are held, whatever the size of the tree.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What an entry of a folder is, as the lister sees it without following anything.
enum class EntryType : uint8_t {
    kFile,             // a regular file
    kFolder,           // a folder on the walk's file system
    kLink,             // a symbolic link, a junction or another reparse point: never followed
    kSpecial,          // a device, a FIFO or a socket: never opened
    kOtherFileSystem,  // a folder on another file system (a mount point): never entered
};

// A folder's identity (device and inode on POSIX; none on Windows, where every way into another
// folder is a reparse point). A folder met again under another name (a bind mount of an
// ancestor) is not walked twice.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool known = false;
};

struct FolderEntry {
    std::u16string name;  // as a FILE operand carries it (cli/arguments.h)
    std::string sortKey;  // the system's order: the name's bytes (POSIX), its units big-endian
    EntryType type = EntryType::kFile;
    FolderIdentity identity;  // for folders
};

// Lists the folder at `path` (full) into `entries`, in no particular order; false when it
// cannot be listed. `identity` is what the listing of its parent said it is: a lister refuses a
// folder that is no longer that one.
using FolderLister = std::function<bool(const std::u16string& path, const FolderIdentity& identity,
                                        std::vector<FolderEntry>* entries)>;

enum class StepKind : uint8_t {
    kRun,                  // a file for the command
    kSkipLink,             // never followed
    kSkipSpecial,          // never opened
    kSkipOtherFileSystem,  // a mount point: the walk stays on the named folder's file system
    kSkipWalkedFolder,     // a folder already walked, met again
    kSkipUnfinished,       // what an interrupted separate save left: reported, never taken
    kUnlistable,           // a folder that could not be listed: a failure
    kFolderEnd,            // every entry of this folder is behind (shred removes it if empty)
};

struct WalkStep {
    StepKind kind;
    std::u16string path;     // full, for the run
    std::u16string display;  // as the user named it: the operand, then the names below it
};

// One operand of the command: its full path, how the user wrote it and what it is.
struct WalkOperand {
    std::u16string path;
    std::u16string display;
    EntryType type = EntryType::kFile;
    FolderIdentity identity;
};

// Whether `name` is what an interrupted separate save leaves (fileops/output_name.h): its mark
// and tag digits at its end. Neither holds a separator, so a path ending in such a name is one
// too.
bool IsUnfinishedName(std::u16string_view name);

// Sorts a listing in the walk's order: by sortKey, byte by byte.
void SortListing(std::vector<FolderEntry>* entries);

// Takes each step in turn; false stops the walk there.
using WalkVisitor = std::function<bool(const WalkStep& step)>;

// The steps for the operands, in their order, each depth-first in name order: a file is a run, a
// folder is walked (`separator` between its path and an entry's name), anything else is
// skipped with its reason. `shredding`: leftovers of interrupted saves are shredded with the
// rest rather than reported. False when the visitor stopped the walk.
bool WalkTree(const std::vector<WalkOperand>& operands, char16_t separator, bool shredding,
              const FolderLister& lister, const WalkVisitor& visit);

// All the steps at once (for the tests, and to count the files before a walk).
std::vector<WalkStep> PlanWalk(const std::vector<WalkOperand>& operands, char16_t separator,
                               bool shredding, const FolderLister& lister);
