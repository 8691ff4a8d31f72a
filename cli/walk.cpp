#include "cli/walk.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "fileops/output_name.h"

namespace {

// Whether `name` is what an interrupted separate save leaves (fileops/output_name.h): its mark
// and tag digits at its end. Neither holds a separator, so a path ending in such a name is one
// too.
bool IsUnfinishedName(std::u16string_view name) {
    if (name.size() < kUnfinishedMark.size() + kUnfinishedTagDigits)
        return false;
    const size_t tagAt = name.size() - kUnfinishedTagDigits;
    if (name.substr(tagAt - kUnfinishedMark.size(), kUnfinishedMark.size()) != kUnfinishedMark)
        return false;
    return std::all_of(name.begin() + tagAt, name.end(),
                       [](char16_t unit) { return unit < 0x80 && std::isxdigit(unit) != 0; });
}

// The walk's memory across its operands.
struct Walk {
    char16_t separator;
    bool shredding;
    const FolderLister& lister;
    const WalkVisitor& visit;
    std::set<std::pair<uint64_t, uint64_t>> walkedFolders;
    uint64_t filesKnown = 0;
    bool stopped = false;
};

void Add(Walk* walk, StepKind kind, const std::u16string& path, const std::u16string& display,
         FolderHandle folder, const std::u16string& name) {
    if (!walk->stopped)
        walk->stopped = !walk->visit({kind, path, display, folder, name, walk->filesKnown});
}

// Whether an entry of `type` at `path` is a file the command runs on.
bool IsRun(const Walk& walk, EntryType type, const std::u16string& path) {
    return type == EntryType::kFile && (walk.shredding || !IsUnfinishedName(path));
}

void PlanFolder(Walk* walk, FolderHandle parent, const std::u16string& name,
                const std::u16string& path, const std::u16string& display,
                const FolderIdentity& identity);

// The entry `name` of the open folder `folder` (0 for an operand, named by its full path).
void PlanEntry(Walk* walk, FolderHandle folder, const std::u16string& name,
               const std::u16string& path, const std::u16string& display, EntryType type,
               const FolderIdentity& identity) {
    StepKind kind = StepKind::kRun;
    switch (type) {
        case EntryType::kFile:
            kind = IsRun(*walk, type, path) ? StepKind::kRun : StepKind::kSkipUnfinished;
            break;
        case EntryType::kFolder:
            PlanFolder(walk, folder, name, path, display, identity);
            return;
        case EntryType::kLink:
            kind = StepKind::kSkipLink;
            break;
        case EntryType::kSpecial:
            kind = StepKind::kSkipSpecial;
            break;
        case EntryType::kOtherFileSystem:
            kind = StepKind::kSkipOtherFileSystem;
            break;
        case EntryType::kManyNames:
            kind = StepKind::kSkipManyNames;
            break;
    }
    Add(walk, kind, path, display, folder, name);
}

void PlanFolder(Walk* walk, FolderHandle parent, const std::u16string& name,
                const std::u16string& path, const std::u16string& display,
                const FolderIdentity& identity) {
    if (identity.known && !walk->walkedFolders.insert({identity.device, identity.inode}).second) {
        Add(walk, StepKind::kSkipWalkedFolder, path, display, parent, name);
        return;
    }
    std::vector<FolderEntry> entries;
    FolderHandle folder = 0;
    if (!walk->lister.openAndList(parent, name, identity, &folder, &entries)) {
        Add(walk, StepKind::kUnlistable, path, display, parent, name);
        return;
    }
    // The walk's order: by sortKey, byte by byte.
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.sortKey < b.sortKey; });
    // The names below a folder given as "dir/" (or "C:\") follow it without a second separator.
    const auto joined = [&](const std::u16string& above, const std::u16string& entry) {
        if (!above.empty() && (above.back() == walk->separator || above.back() == u'/'))
            return above + entry;
        return above + walk->separator + entry;
    };
    for (const FolderEntry& entry : entries)
        walk->filesKnown += IsRun(*walk, entry.type, entry.name) ? 1 : 0;
    for (const FolderEntry& entry : entries) {
        if (walk->stopped)
            break;
        PlanEntry(walk, folder, entry.name, joined(path, entry.name), joined(display, entry.name),
                  entry.type, entry.identity);
    }
    // Closed before its end is visited: shred removes it then.
    walk->lister.close(folder);
    Add(walk, StepKind::kFolderEnd, path, display, parent, name);
}

}  // namespace

bool WalkTree(const std::vector<WalkOperand>& operands, char16_t separator, bool shredding,
              const FolderLister& lister, const WalkVisitor& visit) {
    Walk walk{separator, shredding, lister, visit, {}};
    for (const WalkOperand& operand : operands)
        walk.filesKnown += IsRun(walk, operand.type, operand.path) ? 1 : 0;
    for (const WalkOperand& operand : operands) {
        if (walk.stopped)
            break;
        PlanEntry(&walk, 0, operand.path, operand.path, operand.display, operand.type,
                  operand.identity);
    }
    return !walk.stopped;
}

FileVerdict JudgeFile(bool encrypting, bool opening, FileLook look) {
    switch (look) {
        case FileLook::kChanged:
            return FileVerdict::kSkipChanged;
        case FileLook::kLink:
            return FileVerdict::kSkipLink;
        case FileLook::kManyNames:
            return FileVerdict::kSkipManyNames;
        case FileLook::kWreck:
            return FileVerdict::kFailWreck;
        case FileLook::kOwnContainer:
            return encrypting ? FileVerdict::kSkipOwnContainer : FileVerdict::kRun;
        case FileLook::kOther:
            return opening ? FileVerdict::kSkipNotOwnContainer : FileVerdict::kRun;
        case FileLook::kUnknown:
            break;
    }
    return FileVerdict::kRun;
}
