#include "cli/walk.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "fileops/output_name.h"

namespace {

bool IsHexDigit(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f') ||
           (unit >= u'A' && unit <= u'F');
}

// The walk's memory across its operands.
struct Walk {
    char16_t separator;
    bool shredding;
    const FolderLister& lister;
    const WalkVisitor& visit;
    std::set<std::pair<uint64_t, uint64_t>> walkedFolders;
    bool stopped = false;
};

void Add(Walk* walk, StepKind kind, const std::u16string& path, const std::u16string& display) {
    if (!walk->stopped)
        walk->stopped = !walk->visit({kind, path, display});
}

void PlanFolder(Walk* walk, const std::u16string& path, const std::u16string& display,
                const FolderIdentity& identity);

void PlanEntry(Walk* walk, const std::u16string& path, const std::u16string& display,
               EntryType type, const FolderIdentity& identity) {
    switch (type) {
        case EntryType::kFile:
            Add(walk,
                !walk->shredding && IsUnfinishedName(path) ? StepKind::kSkipUnfinished
                                                           : StepKind::kRun,
                path, display);
            return;
        case EntryType::kFolder:
            PlanFolder(walk, path, display, identity);
            return;
        case EntryType::kLink:
            Add(walk, StepKind::kSkipLink, path, display);
            return;
        case EntryType::kSpecial:
            Add(walk, StepKind::kSkipSpecial, path, display);
            return;
        case EntryType::kOtherFileSystem:
            Add(walk, StepKind::kSkipOtherFileSystem, path, display);
            return;
    }
}

void PlanFolder(Walk* walk, const std::u16string& path, const std::u16string& display,
                const FolderIdentity& identity) {
    if (identity.known && !walk->walkedFolders.insert({identity.device, identity.inode}).second) {
        Add(walk, StepKind::kSkipWalkedFolder, path, display);
        return;
    }
    std::vector<FolderEntry> entries;
    if (!walk->lister(path, identity, &entries)) {
        Add(walk, StepKind::kUnlistable, path, display);
        return;
    }
    SortListing(&entries);
    // The names below a folder given as "dir/" (or "C:\") follow it without a second separator.
    const auto joined = [&](const std::u16string& folder, const std::u16string& name) {
        if (!folder.empty() && (folder.back() == walk->separator || folder.back() == u'/'))
            return folder + name;
        return folder + walk->separator + name;
    };
    for (const FolderEntry& entry : entries) {
        if (walk->stopped)
            return;
        PlanEntry(walk, joined(path, entry.name), joined(display, entry.name), entry.type,
                  entry.identity);
    }
    Add(walk, StepKind::kFolderEnd, path, display);
}

}  // namespace

bool IsUnfinishedName(std::u16string_view name) {
    if (name.size() < kUnfinishedMark.size() + kUnfinishedTagDigits)
        return false;
    const size_t tagAt = name.size() - kUnfinishedTagDigits;
    if (name.substr(tagAt - kUnfinishedMark.size(), kUnfinishedMark.size()) != kUnfinishedMark)
        return false;
    return std::all_of(name.begin() + tagAt, name.end(), IsHexDigit);
}

void SortListing(std::vector<FolderEntry>* entries) {
    std::sort(entries->begin(), entries->end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.sortKey < b.sortKey; });
}

bool WalkTree(const std::vector<WalkOperand>& operands, char16_t separator, bool shredding,
              const FolderLister& lister, const WalkVisitor& visit) {
    Walk walk{separator, shredding, lister, visit, {}};
    for (const WalkOperand& operand : operands) {
        if (walk.stopped)
            break;
        PlanEntry(&walk, operand.path, operand.display, operand.type, operand.identity);
    }
    return !walk.stopped;
}

std::vector<WalkStep> PlanWalk(const std::vector<WalkOperand>& operands, char16_t separator,
                               bool shredding, const FolderLister& lister) {
    std::vector<WalkStep> plan;
    WalkTree(operands, separator, shredding, lister, [&](const WalkStep& step) {
        plan.push_back(step);
        return true;
    });
    return plan;
}
