// The walk of -r: each step of the walk plan (cli/walk.h) taken in turn, each file looked at
// once more just before its run, its verdict carried out, and the tally kept for the summary
// and the exit status.
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/folder_listing.h"
#include "cli/front_end_state.h"
#include "cli/full_path.h"
#include "cli/interrupts.h"
#include "cli/recovery.h"
#include "cli/walk.h"
#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif
#include "fileops/file_open.h"
#include "fileops/save_guard.h"
#include "fileops/system_reason.h"

namespace {

struct WalkTally {
    uint64_t done = 0;
    uint64_t skipped = 0;
    uint64_t failed = 0;
    uint64_t bytes = 0;
    uint64_t notOpened = 0;     // skipped as no container of this password
    int status = kExitSuccess;  // the first failure's
};

std::u16string SummaryOf(const WalkTally& tally) {
    const CliText summary = g_cli.options.dryRun ? CliText::kDryRunSummary : CliText::kWalkSummary;
    return std::u16string(ProgramName()) + u": " +
           FilledInTurn(Say(summary), {Number(tally.done), Number(tally.skipped),
                                       Number(tally.failed), Number(tally.bytes)});
}

// -n: what the file would get, said in place of the run.
void SayWhatWouldBeDone() {
    const CliText what = g_cli.options.command == kEncrypt   ? CliText::kDryRunEncrypt
                         : g_cli.options.command == kDecrypt ? CliText::kDryRunDecrypt
                         : g_cli.options.command == kPasswd  ? CliText::kDryRunRekey
                                                             : CliText::kDryRunShred;
    if (!g_cli.options.quiet)
        PrintFileMessage(Say(CliText::kDryRunWould, Say(what)));
}

void NoteFailed(WalkTally* tally, int status) {
    ++tally->failed;
    tally->status = FirstFailure(tally->status, status);
}

void NoteSkipped(WalkTally* tally, CliText why) {
    ++tally->skipped;
    if (!g_cli.options.quiet)
        PrintFileMessage(Say(why));
}

// Said whatever --quiet: the entry changed under the walk, which the user should know.
void NoteChanged(WalkTally* tally) {
    ++tally->skipped;
    PrintFileMessage(std::u16string(Say(CliText::kSkippedChanged)) + ReasonSuffix());
}

// check of one file of the walk: its line, and the tally.
void CheckFile(const WalkStep& step, WalkTally* tally) {
    bool skipped = false;
    uint64_t size = 0;
    const int status = CheckWalkedFile(step.display, step.path, &skipped, &size);
    if (skipped) {
        ++tally->skipped;
        ++tally->notOpened;
    } else if (status == kExitSuccess) {
        ++tally->done;
        tally->bytes += size;
    } else {
        NoteFailed(tally, status);
    }
}

// One file of the walk, opened in the folder the walk holds.
void WalkFile(const WalkStep& step, WalkTally* tally) {
    const Options& options = g_cli.options;
    if (options.command == kCheck) {
        CheckFile(step, tally);
        return;
    }
    if (!IsTextName(step.path) || !FitsPathField(step.path)) {
        NoteFailed(tally, kExitCannotAccess);
        return;
    }
    uint64_t size = 0;
    const FileLook look = LookBeforeRun(step, &size);
    switch (JudgeFile(options.command == kEncrypt,
                      options.command == kDecrypt || options.command == kPasswd, look)) {
        case FileVerdict::kSkipChanged:
            NoteChanged(tally);
            return;
        case FileVerdict::kSkipLink:
            NoteSkipped(tally, CliText::kSkippedLink);
            return;
        case FileVerdict::kSkipManyNames:
            NoteSkipped(tally, CliText::kSkippedManyNames);
            return;
        case FileVerdict::kSkipOwnContainer:
            NoteSkipped(tally, CliText::kSkippedOwnContainer);
            return;
        case FileVerdict::kSkipNotOwnContainer:
            NoteSkipped(tally, CliText::kSkippedNotOwnContainer);
            ++tally->notOpened;
            return;
        case FileVerdict::kFailWreck:
            NoteFailed(tally, kExitWreck);
            return;
        case FileVerdict::kRun:
            break;
    }
    std::u16string output;
    if (WritesSeparateOutput() && !OutputStaysBeside(step.path, &output)) {
        PrintFileMessage(Say(CliText::kOutputElsewhere, output));
        NoteFailed(tally, kExitFailure);
        return;
    }
    if (options.dryRun) {
        SayWhatWouldBeDone();
    } else if (const int status = RunOnPath(step.path); status != kExitSuccess) {
        NoteFailed(tally, status);
        return;
    }
    ++tally->done;
    tally->bytes += size;
}

// shred -r: the folder goes once it is empty; one that still holds something stays, named.
// Neither counts as a failure: every file in it had its own line.
void RemoveWalkedFolder(const WalkStep& step) {
    bool holdsSomething = false;
    ClearSystemReason();
    if (RemoveEmptyFolder(step.folder, step.name, &holdsSomething) || g_cli.options.quiet)
        return;
    if (holdsSomething) {
        PrintFileMessage(Say(CliText::kFolderKept));
    } else {
        PrintFileMessage(std::u16string(Say(CliText::kFolderNotRemoved)) + ReasonSuffix());
    }
}

// The operands as the walk starts from them; a FILE that cannot be looked at fails here.
std::vector<WalkOperand> WalkOperands(WalkTally* tally) {
    std::vector<WalkOperand> operands;
    for (const std::u16string& name : g_cli.options.files) {
        BeginRun(Printable(name));
        WalkOperand operand;
        operand.display = name;
        if (!FullPathFor(name, &operand.path)) {
            NoteFailed(tally, kExitCannotAccess);
            continue;
        }
        if (!LookAtOperand(operand.path, &operand.type, &operand.identity)) {
            PrintFileMessage(FailureText(MessageId::kOpenFailed));
            NoteFailed(tally, kExitCannotAccess);
            continue;
        }
        operands.push_back(std::move(operand));
    }
    return operands;
}

// The note an interrupt prints: the bar taken away, then the summary so far.
void UpdateEndingNote(const WalkTally& tally, bool barDrawn) {
    SetEndingNote((barDrawn ? BarEraser() : std::u16string()) + SummaryOf(tally) + u'\n');
}

// The walk's last line, in place of the bar and of the note an interrupt would print.
void PrintWalkSummary(const WalkTally& tally) {
    EraseBar();
    SetEndingNote(u"");
    PrintLine(SummaryOf(tally));
}

// Holds the folder the step's file is in, so that the run opens it there (file_open.h); an
// operand has none and is opened as named. False after the failure was reported.
bool HoldFolderOf(const WalkStep& step, WalkTally* tally) {
    if (step.folder == 0) {
        LetGoOfFolder();
        return true;
    }
    // The folder's path: the step's path without the name and the separator before it; a root
    // ("/", "C:\\") keeps its own.
    std::u16string folder = step.path.substr(0, step.path.size() - step.name.size());
    if (folder.size() != 1 && !(folder.size() == 3 && folder[1] == u':'))
        folder.pop_back();
    if (HoldFolder(step.folder, (kNativePrefix + folder).c_str()))
        return true;
    PrintFileMessage(FailureText(MessageId::kOpenFailed));
    NoteFailed(tally, kExitCannotAccess);
    return false;
}

void TakeStep(const WalkStep& step, uint64_t index, WalkTally* tally) {
    const Options& options = g_cli.options;
    const SystemReason listingReason = LastSystemReason();
    BeginRun(Printable(step.display));
    switch (step.kind) {
        case StepKind::kRun:
            // "N/M": M the files met so far, which grows as the folders below are listed.
            if (!options.quiet)
                PrintLine(Number(index) + u"/" + Number(step.filesKnown) + u" " +
                          Printable(step.display));
#ifdef ZOK_FAULT_INJECTION
            BeforeWalkedFile();
#endif
            if (HoldFolderOf(step, tally))
                WalkFile(step, tally);
            break;
        case StepKind::kUnlistable:
            NoteSystemReason(listingReason);
            if (step.folder != 0 && ChangedSinceListed()) {
                NoteChanged(tally);
                break;
            }
            PrintFileMessage(std::u16string(Say(CliText::kFolderUnlistable)) + ReasonSuffix());
            NoteFailed(tally, kExitCannotAccess);
            break;
        case StepKind::kFolderEnd:
            if (options.command == kShred && !options.dryRun)
                RemoveWalkedFolder(step);
            break;
        default:
            NoteSkipped(tally, WhySkipped(step.kind));
            break;
    }
}

}  // namespace

int RunWalk(bool barDrawn) {
    const Options& options = g_cli.options;
    WalkTally tally;
    UpdateEndingNote(tally, barDrawn);
    const std::vector<WalkOperand> operands = WalkOperands(&tally);
    // The held folder is let go before any folder closes: it may be that one.
    const FolderLister lister{OpenAndListFolder, [](FolderHandle folder) {
                                  LetGoOfFolder();
                                  CloseFolder(folder);
                              }};
    ClearSystemReason();
    uint64_t index = 0;
    // A file is counted before an interrupt that comes once its save has begun ends the walk.
    KeepSaves(true);
    WalkTree(operands, kPathSeparators[0], options.command == kShred, lister,
             [&](const WalkStep& step) {
                 index += step.kind == StepKind::kRun ? 1 : 0;
                 TakeStep(step, index, &tally);
                 UpdateEndingNote(tally, barDrawn);
                 EndKeptSave();
                 // An interrupt during the save just done: the walk ends here, with what it did.
                 if (const int end = PendingEnd()) {
                     PrintWalkSummary(tally);
                     EndAsInterrupted(end);
                 }
                 return true;
             });
    KeepSaves(false);
    LetGoOfFolder();
    // A password that opens nothing it met is most likely mistyped: a script must not go on as
    // if the tree were decrypted or checked.
    const bool openedNothing = (options.command == kDecrypt || options.command == kCheck) &&
                               tally.done == 0 && tally.notOpened > 0;
    if (openedNothing)
        tally.status = FirstFailure(tally.status, kExitWrongPassword);
    PrintWalkSummary(tally);
    if (openedNothing)
        PrintProgramMessage(Say(CliText::kWalkOpenedNothing));
    return tally.status;
}
