// The walk's look at a file just before its run, through the folder the walk holds: what the
// file is now (still a file of one name, a container of this password, a wreck) and where a
// separate output of it would go; and the words for what the walk plan skips.
#include <algorithm>
#include <string>
#include <vector>

#include "cli/front_end_state.h"
#include "cli/full_path.h"
#include "cli/recovery.h"
#include "cli/verdicts.h"
#include "cli/walk.h"
#include "core/recovery.h"
#include "fileops/app_state.h"
#include "fileops/file_open.h"
#include "fileops/output_name.h"
#include "fileops/system_reason.h"

// A file of at most this many bytes is analysed from its glance; a larger one is read again whole.
constexpr uint32_t kGlanceBytes = 64u << 10;

bool ChangedSinceListed() {
    return LastSystemReason() == SystemReason::kSymbolicLink ||
           LastSystemReason() == SystemReason::kNoSuchFile;
}

// What an interrupted save left is never encrypted again nor skipped unsaid: encrypt analyses
// every file (a wreck's header may be the plain file's own), decrypt every file whose header does
// not show a container of this password. The run that follows opens the file again and tells
// its own failure.
FileLook LookBeforeRun(const WalkStep& step, uint64_t* size) {
    static std::vector<uint8_t> glance(kGlanceBytes);  // the walk runs on one thread
    const CommandKind command = g_cli.options.command;
    const uint32_t count = command == kShred ? 0 : kGlanceBytes;
    if (!GlanceAtFile((kNativePrefix + step.path).c_str(), glance.data(), count, size)) {
        // A link now, or one the listing could not tell (Wine shows a link to a file as the file).
        if (LastSystemReason() == SystemReason::kSymbolicLink)
            return FileLook::kLink;
        if (ChangedSinceListed())
            return FileLook::kChanged;
        if (LastSystemReason() == SystemReason::kOtherNames)
            return FileLook::kManyNames;
        ClearSystemReason();
        return FileLook::kUnknown;
    }
    if (command == kShred)
        return FileLook::kOther;
    if (OpensWithThisPassword(glance.data(), *size, g_cli.check))
        return FileLook::kOwnContainer;
    FileAnalysis analysis;
    if (*size <= count) {
        analysis = AnalyseFile(glance.data(), static_cast<uint32_t>(*size), g_cli.check, g_cli.key);
    } else if (!AnalyseWholeFile(step.path, g_cli.check, g_cli.key, &analysis)) {
        ClearSystemReason();
        return FileLook::kUnknown;
    }
    return NameWalkedWreck(step.display, analysis) ? FileLook::kWreck : FileLook::kOther;
}

// The last dot of the path names the output, also a dot in a folder's name.
bool OutputStaysBeside(const std::u16string& full, std::u16string* output) {
    char16_t path[kPathCapacity] = {};
    char16_t scratch[kPathCapacity] = {};
    std::copy(full.begin(), full.end(), path);
    if (!DeriveOutputPathIn(path, scratch))
        return true;  // the run says why it has no output name
    *output = path;
    const size_t folderEnd = full.find_last_of(kPathSeparators);
    return output->size() > folderEnd &&
           output->compare(0, folderEnd + 1, full, 0, folderEnd + 1) == 0 &&
           output->find_first_of(kPathSeparators, folderEnd + 1) == std::u16string::npos;
}

CliText WhySkipped(StepKind kind) {
    switch (kind) {
        case StepKind::kSkipLink:
            return CliText::kSkippedLink;
        case StepKind::kSkipSpecial:
            return CliText::kSkippedSpecial;
        case StepKind::kSkipOtherFileSystem:
            return CliText::kSkippedOtherFileSystem;
        case StepKind::kSkipWalkedFolder:
            return CliText::kSkippedWalkedFolder;
        case StepKind::kSkipManyNames:
            return CliText::kSkippedManyNames;
        default:
            return CliText::kSkippedUnfinished;
    }
}
