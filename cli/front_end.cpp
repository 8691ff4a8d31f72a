// The command line drives the in-memory dialog as a user drives the window: for each file it
// fills the path, password and check box fields and presses Encrypt, Decrypt or Shred; the run
// goes on this thread, and the press returns once it has ended. Every check, message and byte
// comes from the run logic; this file only decides what to type, how to answer the boxes and
// what the outcome is.
#include "cli/front_end.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/folder_listing.h"
#include "cli/full_path.h"
#include "cli/help.h"
#include "cli/interrupts.h"
#include "cli/language.h"
#include "cli/linux_streams.h"
#include "cli/options.h"
#include "cli/passwd.h"
#include "cli/password.h"
#include "cli/recovery.h"
#include "cli/terminal.h"
#include "cli/walk.h"
#include "cli/wildcards.h"
#include "core/container.h"
#include "fileops/app_state.h"
#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif
#include "fileops/file_access.h"
#include "fileops/output_name.h"
#include "fileops/prepare.h"
#include "fileops/run_layout.h"
#include "fileops/save_guard.h"
#include "fileops/shred.h"
#include "fileops/system_reason.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

#ifndef ZOK_VERSION
#error "ZOK_VERSION is the project version, which the build defines"
#endif

namespace {

// The command line's state for its runs; the hooks set the run outcome.
struct FrontEnd {
    Options options;
    bool askOnTerminal = false;  // a terminal takes the password and the overwrite answer
    bool completed = false;
    int runStatus = 0;           // the first failure of the current run, by kind
    bool partlyWritten = false;  // a failed save in place wrote part of FILE
    bool notFlushed = false;     // only its last flush failed: FILE holds the whole result
    std::u16string fileName;     // FILE as named on the command line
    uint32_t newCheck = 0;       // passwd: the new password's digests
    uint32_t newKey = 0;
};

FrontEnd g_cli;

// The first failure of a run decides its status.
void NoteRunStatus(int status) {
    if (g_cli.runStatus == kExitSuccess)
        g_cli.runStatus = status;
}

// --- Hooks of the in-memory dialog ---------------------------------------------------------

// Whether the run writes a file of its own beside the source, or at --output.
bool WritesSeparateOutput() {
    const Options& options = g_cli.options;
    return options.command != kShred && options.command != kPasswd && !options.inPlace &&
           !options.toStandardOutput;
}

// Prints each note as the run adds it to the status log. "Done." of a run whose result goes to
// standard output waits until the result is there (RunFromMemory); after a separate output it
// names the file, as a dot in a folder name can put it far from the source.
void OnNote(MessageId note, void*) {
    // Said after the error it belongs to, and also with --quiet (OnBox).
    if (note == MessageId::kPartlyWritten || note == MessageId::kWrittenNotFlushed) {
        (note == MessageId::kPartlyWritten ? g_cli.partlyWritten : g_cli.notFlushed) = true;
        return;
    }
    // The window's note names its console and the command below it; the error that follows
    // says it in the command line's words.
    if (note == MessageId::kInterruptedSave || note == MessageId::kWreckRestoresAll ||
        note == MessageId::kWreckRestoresAllButNamed || note == MessageId::kWreckNotRestored) {
        return;
    }
    // The window's line after "Done."; the command line named the output in its own done line.
    if (note == MessageId::kOutputFile)
        return;
    if (note == MessageId::kDone && g_cli.options.toStandardOutput)
        return;
    if (note == MessageId::kDone && WritesSeparateOutput()) {
        PrintStatusLine(Filled(Say(CliText::kOutputWritten), RunPath()), false);
        return;
    }
    PrintStatusLine(Say(note), note == MessageId::kEncrypting || note == MessageId::kDecrypting);
}

void OnProgress(uint32_t position, uint32_t high, void*) {
    ShowProgress(position, high);
}

// The question names the output by its full path: a dot in a folder name can put the output
// far from the file named on the command line.
int AnswerOverwrite(MessageId message) {
    const std::u16string question = std::u16string(ProgramName()) + u": " + RunPath() + u": " +
                                    std::u16string(Say(message)) +
                                    std::u16string(Say(CliText::kQuestionKeys));
    const Options& options = g_cli.options;
    if (options.yes) {
        if (!options.quiet)
            PrintLine(question + std::u16string(Say(CliText::kAnsweredYes)));
        return kAnswerYes;
    }
    if (g_cli.askOnTerminal) {
        EraseBar();
        if (AskOnTerminal(question))
            return kAnswerYes;
    } else if (!options.quiet) {
        PrintLine(question + std::u16string(Say(CliText::kAnsweredNo)));
    }
    PrintFileMessage(Say(CliText::kNotOverwritten));
    NoteRunStatus(kExitDeclined);
    return kAnswerNo;
}

// An error in the command line's words. A header that does not match may be a wrong password
// or a file that was never encrypted, which the format cannot tell apart; the window's box for a
// wreck names the window's console, where here the program's own name serves.
std::u16string ErrorText(MessageId message) {
    if (message == MessageId::kWrongPassword)
        return std::u16string(Say(CliText::kNotOpenedByPassword));
    // With check's words on what the wreck is and what recover gives back of it.
    std::u16string full;
    if (message == MessageId::kInterruptedSave) {
        const std::u16string verdict = MakeFullPath(g_cli.fileName, &full)
                                           ? WreckVerdict(full, g_app.checkValue, g_app.keyValue)
                                           : std::u16string();
        return Filled(Say(CliText::kDecryptHint), ProgramName()) +
               (verdict.empty() ? verdict : Filled(Say(CliText::kReasonFrame), verdict));
    }
    return FailureText(message);
}

// A separate output that cannot be written is named by its own full path (RunPath() holds it
// once derived), as the FILE exists; a folder of it that does not exist is named as missing.
void ReportOutputUnwritable() {
    const std::u16string_view output = RunPath();
    std::u16string text(Say(MessageId::kWriteFailed));
    const size_t slash = output.find_last_of(kPathSeparators);
    if (LastSystemReason() == SystemReason::kNoSuchFile && slash != std::u16string_view::npos)
        text += Filled(Say(CliText::kOutputFolderMissing), output.substr(0, slash));
    else
        text += ReasonSuffix();
    PrintMessageAbout(output, text);
}

int OnBox(MessageId message, uint32_t style, void*) {
    if (style == kBoxYesNo)
        return AnswerOverwrite(message);
    if (style == kBoxError) {
        if (message == MessageId::kWriteFailed && WritesSeparateOutput())
            ReportOutputUnwritable();
        else
            PrintFileMessage(ErrorText(message));
        NoteRunStatus(ExitStatusOf(message));
        if (g_cli.partlyWritten)
            PrintFileMessage(Filled(Say(CliText::kPartlyWritten), RecoverCommand(g_cli.fileName)));
        if (g_cli.notFlushed)
            PrintFileMessage(std::u16string(Say(MessageId::kWrittenNotFlushed)));
        return kAnswerOk;
    }
    // The completion box repeats the log's last line: it is not printed again.
    if (message != MessageId::kDone && !g_cli.options.quiet)
        PrintLine(Say(message));
    if (message == MessageId::kDone)
        g_cli.completed = true;
    return kAnswerOk;
}

// --- Runs ----------------------------------------------------------------------------------

void BeginRun(std::u16string_view displayName) {
    SetConsoleFile(displayName);
    g_cli.completed = false;
    g_cli.runStatus = kExitSuccess;
    g_cli.partlyWritten = false;
    g_cli.notFlushed = false;
    g_cli.fileName = displayName;
    ClearSystemReason();
}

// The run goes on this thread, which the press returns to once the run has ended: the
// buttons are enabled again.
void Press(CommandKind command) {
    if (command == kShred) {
        StartShredRun(RunThread::kCaller);
    } else {
        PrepareCipherRun(command, RunThread::kCaller);
    }
}

int EndRunStatus() {
    EraseBar();
    if (g_cli.runStatus != kExitSuccess)
        return g_cli.runStatus;
    return g_cli.completed ? kExitSuccess : kExitFailure;
}

// `name` made absolute and checked against the field's size; false after the error was
// reported for the current run.
bool FullPathFor(const std::u16string& name, std::u16string* full) {
    if (!MakeFullPath(name, full)) {
        PrintFileMessage(Say(CliText::kNoCurrentDirectory));
        return false;
    }
    // The field would cut a longer path and name another file.
    if (full->size() >= kPathCapacity) {
        PrintFileMessage(Say(CliText::kPathTooLongForField));
        return false;
    }
    return true;
}

// One run on the file at `full`; returns its exit status. passwd presses no button: the old
// password's digests are those the fields gave, the new one's were taken at the start.
int RunOnPath(const std::u16string& full) {
    if (g_cli.options.command == kPasswd) {
        return RekeyFile(full, {g_app.checkValue, g_app.keyValue, g_cli.newCheck, g_cli.newKey});
    }
    SetControlText(IDC_PATH, full.c_str());
    Press(g_cli.options.command);
    return EndRunStatus();
}

// False, after the error was reported, for a FILE whose name is not text.
bool IsTextFile(const std::u16string& name) {
    if (IsText(name))
        return true;
    PrintFileMessage(Say(CliText::kNameNotText));
    return false;
}

// False, after the error naming -r was reported, for a FILE that is a folder.
bool IsNotFolder(const std::u16string& full) {
    EntryType type = EntryType::kFile;
    FolderIdentity identity;
    const bool folder = LookAtOperand(full, &type, &identity) &&
                        (type == EntryType::kFolder || type == EntryType::kOtherFileSystem);
    ClearSystemReason();
    if (folder)
        PrintFileMessage(Say(CliText::kFolderNeedsRecursive));
    return !folder;
}

// After a decryption that succeeded: the bytes the file held after its container, if any.
void NoteBytesAfterContainer(int status) {
    if (status == kExitSuccess && g_app.bytesAfterContainer > 0) {
        PrintFileMessage(
            Filled(Say(CliText::kDecryptBytesAfter), Number(g_app.bytesAfterContainer)));
    }
}

bool RefusesOwnContainer(const std::u16string& full);

int RunOneFile(const std::u16string& name) {
    BeginRun(Printable(name));
    std::u16string full;
    if (!IsTextFile(name) || !FullPathFor(name, &full) || !IsNotFolder(full))
        return kExitCannotAccess;
    if (RefusesOwnContainer(full))
        return kExitFailure;
    const int status = RunOnPath(full);
    NoteBytesAfterContainer(status);
    return status;
}

// --- The walk of -r --------------------------------------------------------------------------

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
        PrintFileMessage(Filled(Say(CliText::kDryRunWould), Say(what)));
}

void NoteFailed(WalkTally* tally, int status) {
    ++tally->failed;
    if (tally->status == kExitSuccess)
        tally->status = status;
}

void NoteSkipped(WalkTally* tally, CliText why) {
    ++tally->skipped;
    if (!g_cli.options.quiet)
        PrintFileMessage(Say(why));
}

// What the walk makes of a file before its run. kChanged: the name is gone since its folder was
// listed; kLink: it is a link; kManyNames: it has other names (the reason stays noted for all);
// kWreck: what an interrupted save left, named already.
enum class FileLook : uint8_t {
    kUnknown,
    kOwnContainer,
    kOther,
    kChanged,
    kLink,
    kManyNames,
    kWreck,
};

// Whether the reason of a failed look says that a walked entry changed since its listing.
bool ChangedSinceListed() {
    return LastSystemReason() == SystemReason::kSymbolicLink ||
           LastSystemReason() == SystemReason::kNoSuchFile;
}

// Whether a file of `size` bytes that starts with `header` (12 bytes, read as far as the file
// holds them) is a container that the run's password opens.
bool OpensWithThisPassword(const uint8_t* header, uint64_t size) {
    const ContainerHeader read = ReadHeader(header);
    return size > kContainerHeaderSize && size <= kLargestFile &&
           read.checkDigest == g_app.checkValue &&
           StoredSizeFits(read.originalSize, static_cast<uint32_t>(size));
}

// A file of at most this many bytes is analysed from its glance; a larger one is read again whole.
constexpr uint32_t kGlanceBytes = 64u << 10;

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
    if (OpensWithThisPassword(glance.data(), *size))
        return FileLook::kOwnContainer;
    FileAnalysis analysis;
    if (*size <= count) {
        analysis = AnalyseFile(glance.data(), static_cast<uint32_t>(*size), g_app.checkValue,
                               g_app.keyValue);
    } else if (!AnalyseWholeFile(step.path, g_app.checkValue, g_app.keyValue, &analysis)) {
        ClearSystemReason();
        return FileLook::kUnknown;
    }
    return NameWalkedWreck(step.display, analysis) ? FileLook::kWreck : FileLook::kOther;
}

// Whether a separate output of the file at `full` lands in the same folder: the last dot of the
// path names it, also a dot in a folder's name. `*output` is where it would go.
bool OutputStaysBeside(const std::u16string& full, std::u16string* output) {
    char16_t path[kPathCapacity] = {};
    char16_t scratch[kPathCapacity] = {};
    std::copy(full.begin(), full.end(), path);
    if (!DeriveOutputPathIn(path, scratch))
        return true;  // the run says why it has no output name
    *output = path;
    const size_t folderEnd = full.find_last_of(u"/\\");
    return output->size() > folderEnd &&
           output->compare(0, folderEnd + 1, full, 0, folderEnd + 1) == 0 &&
           output->find_first_of(u"/\\", folderEnd + 1) == std::u16string::npos;
}

// One file of the walk, opened in the folder the walk holds.
void WalkFile(const WalkStep& step, WalkTally* tally) {
    const Options& options = g_cli.options;
    uint64_t size = 0;
    if (options.command == kCheck) {
        bool skipped = false;
        const int status = CheckWalkedFile(step.display, step.path, g_app.checkValue,
                                           g_app.keyValue, options.quiet, &skipped, &size);
        if (skipped) {
            ++tally->skipped;
            ++tally->notOpened;
        } else if (status == kExitSuccess) {
            ++tally->done;
            tally->bytes += size;
        } else {
            NoteFailed(tally, status);
        }
        return;
    }
    if (!IsTextFile(step.path)) {
        NoteFailed(tally, kExitCannotAccess);
        return;
    }
    if (step.path.size() >= kPathCapacity) {
        PrintFileMessage(Say(CliText::kPathTooLongForField));
        NoteFailed(tally, kExitCannotAccess);
        return;
    }
    const FileLook look = LookBeforeRun(step, &size);
    if (look == FileLook::kChanged) {
        ++tally->skipped;
        PrintFileMessage(std::u16string(Say(CliText::kSkippedChanged)) + ReasonSuffix());
        return;
    }
    if (look == FileLook::kLink) {
        NoteSkipped(tally, CliText::kSkippedLink);
        return;
    }
    if (look == FileLook::kManyNames) {
        NoteSkipped(tally, CliText::kSkippedManyNames);
        return;
    }
    if (options.command == kEncrypt && look == FileLook::kOwnContainer) {
        NoteSkipped(tally, CliText::kSkippedOwnContainer);
        return;
    }
    if (look == FileLook::kWreck) {
        NoteFailed(tally, kExitWreck);
        return;
    }
    if ((options.command == kDecrypt || options.command == kPasswd) && look == FileLook::kOther) {
        NoteSkipped(tally, CliText::kSkippedNotOwnContainer);
        ++tally->notOpened;
        return;
    }
    std::u16string output;
    if (WritesSeparateOutput() && !OutputStaysBeside(step.path, &output)) {
        PrintFileMessage(Filled(Say(CliText::kOutputElsewhere), output));
        NoteFailed(tally, kExitFailure);
        return;
    }
    if (options.dryRun) {
        SayWhatWouldBeDone();
        ++tally->done;
        tally->bytes += size;
        return;
    }
    const int status = RunOnPath(step.path);
    NoteBytesAfterContainer(status);
    if (status != kExitSuccess) {
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

// The operands as the walk starts from them; a FILE that cannot be looked at fails here.
std::vector<WalkOperand> WalkOperands(WalkTally* tally) {
    std::vector<WalkOperand> operands;
    for (const std::u16string& name : g_cli.options.files) {
        BeginRun(Printable(name));
        WalkOperand operand;
        operand.display = name;
        if (!IsTextFile(name)) {
            NoteFailed(tally, kExitCannotAccess);
            continue;
        }
        if (!MakeFullPath(name, &operand.path)) {
            PrintFileMessage(Say(CliText::kNoCurrentDirectory));
            NoteFailed(tally, kExitCannotAccess);
            continue;
        }
        if (!LookAtOperand(operand.path, &operand.type, &operand.identity)) {
            PrintFileMessage(std::u16string(Say(MessageId::kOpenFailed)) + ReasonSuffix());
            NoteFailed(tally, kExitCannotAccess);
            continue;
        }
        operands.push_back(std::move(operand));
    }
    return operands;
}

// The note an interrupt prints: the bar taken away, then the summary so far.
void UpdateEndingNote(const WalkTally& tally, bool barDrawn) {
    std::u16string note;
    if (barDrawn) {
        note = u"\r";
        note.append(48, u' ');
        note += u'\r';
    }
    SetEndingNote(note + SummaryOf(tally) + u'\n');
}

// The walk's last line, in place of the bar and of the note an interrupt would print.
void PrintWalkSummary(const WalkTally& tally) {
    EraseBar();
    SetEndingNote(u"");
    PrintLine(SummaryOf(tally));
}

// Holds the folder the step's file is in, so that the run opens it there (file_access.h); an
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
    PrintFileMessage(std::u16string(Say(MessageId::kOpenFailed)) + ReasonSuffix());
    NoteFailed(tally, kExitCannotAccess);
    return false;
}

// -r: every operand, folders walked, with one password; the first failure gives the status.
int RunWalk(bool barDrawn) {
    const Options& options = g_cli.options;
    WalkTally tally;
    // The digests tell the containers of this password apart, and the entries must agree once.
    if (options.command != kShred && !TakePasswordDigests()) {
        PrintProgramMessage(Say(MessageId::kPasswordMismatch));
        return kExitWrongPassword;
    }
    UpdateEndingNote(tally, barDrawn);
    const std::vector<WalkOperand> operands = WalkOperands(&tally);
    const bool shredding = options.command == kShred;
    // The held folder is let go before any folder closes: it may be that one.
    const FolderLister lister{OpenAndListFolder, [](FolderHandle folder) {
                                  LetGoOfFolder();
                                  CloseFolder(folder);
                              }};
    // A first pass counts the files for the "N/TOTAL" lines; the tree is listed again as it is
    // walked, so that only the folders on the way down are held.
    uint64_t total = 0;
    WalkTree(operands, PathSeparator(), shredding, lister, [&](const WalkStep& step) {
        total += step.kind == StepKind::kRun ? 1 : 0;
        return true;
    });
    ClearSystemReason();
    uint64_t index = 0;
    // A file is counted before an interrupt that comes once its save has begun ends the walk.
    KeepSaves(true);
    WalkTree(operands, PathSeparator(), shredding, lister, [&](const WalkStep& step) {
        const SystemReason listingReason = LastSystemReason();
        BeginRun(Printable(step.display));
        switch (step.kind) {
            case StepKind::kRun:
                ++index;
                if (!options.quiet)
                    PrintLine(Number(index) + u"/" + Number(total < index ? index : total) + u" " +
                              Printable(step.display));
#ifdef ZOK_FAULT_INJECTION
                BeforeWalkedFile();
#endif
                if (HoldFolderOf(step, &tally))
                    WalkFile(step, &tally);
                break;
            case StepKind::kUnlistable:
                NoteSystemReason(listingReason);
                if (step.folder != 0 && ChangedSinceListed()) {
                    ++tally.skipped;
                    PrintFileMessage(std::u16string(Say(CliText::kSkippedChanged)) +
                                     ReasonSuffix());
                    break;
                }
                PrintFileMessage(std::u16string(Say(CliText::kFolderUnlistable)) + ReasonSuffix());
                NoteFailed(&tally, kExitCannotAccess);
                break;
            case StepKind::kFolderEnd:
                if (shredding && !options.dryRun)
                    RemoveWalkedFolder(step);
                break;
            default:
                NoteSkipped(&tally, WhySkipped(step.kind));
                break;
        }
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
    if (openedNothing && tally.status == kExitSuccess)
        tally.status = kExitWrongPassword;
    PrintWalkSummary(tally);
    if (openedNothing)
        PrintProgramMessage(Say(CliText::kWalkOpenedNothing));
    return tally.status;
}

// encrypt of a FILE that this password already opens, as -r skips it: a second layer is seldom
// meant, and the first decryption would give back a container. --force encrypts it anyway.
bool RefusesOwnContainer(const std::u16string& full) {
    const Options& options = g_cli.options;
    uint64_t size = 0;
    uint8_t header[kContainerHeaderSize] = {};
    // Entries that differ, or a file that cannot be read, are left to the run, which says so.
    const bool own = options.command == kEncrypt && !options.force && TakePasswordDigests() &&
                     GlanceAtFile((kNativePrefix + full).c_str(), header, sizeof header, &size) &&
                     OpensWithThisPassword(header, size);
    ClearSystemReason();
    if (!own)
        return false;
    PrintFileMessage(Say(CliText::kAlreadyOwnContainer));
    return true;
}

// passwd: the new password, asked after the old one, and its digests; kExitSuccess, or the
// status after the error was reported.
int TakeNewPassword() {
    std::u16string password, confirmation;
    int status = ObtainNewPassword(g_cli.options, g_cli.askOnTerminal, &password, &confirmation);
    if (status == kExitSuccess &&
        !DigestsOfEntries(password.c_str(), confirmation.c_str(), &g_cli.newCheck, &g_cli.newKey)) {
        PrintProgramMessage(Say(MessageId::kPasswordMismatch));
        status = kExitWrongPassword;
    }
    Wipe(&password);
    Wipe(&confirmation);
    return status;
}

// --- check and recover ---------------------------------------------------------------------

// check or recover, with the two entries as typed: no button is pressed.
int RunRecoveryCommand(const std::u16string& password, const std::u16string& confirmation) {
    const Options& options = g_cli.options;
    RecoveryRequest request;
    request.password = password.c_str();
    request.confirmation = confirmation.c_str();
    request.recover = options.command == kRecover;
    request.files = options.files;
    request.output = options.hasOutput ? &options.output : nullptr;
    request.replace = options.yes;
    request.quiet = options.quiet;
    return RunRecovery(request);
}

// The input, standard input for FILE "-" or the named FILE, read whole into memory, runs in
// place there (or into --output); without --output the result then goes to standard output,
// and only then is the run done.
int RunFromMemory(const std::u16string& name) {
    if constexpr (!HasDashAndDescriptors()) {
        return kExitUsage;  // never: "-" and "-o -" are usage errors there
    } else {
        BeginRun(Printable(name));
        const uint64_t limit = g_cli.options.command == kEncrypt ? kLargestPlainFile : kLargestFile;
        std::u16string path;
        if (g_cli.options.standardInput) {
            if (!LoadStandardInput(limit, &path)) {
                PrintProgramMessage(std::u16string(Say(CliText::kStandardInputUnreadable)) +
                                    ReasonSuffix());
                return kExitCannotAccess;
            }
        } else if (!IsTextFile(name)) {
            return kExitCannotAccess;
        } else if (!LoadNamedFile(name, limit, &path)) {
            PrintFileMessage(FailureText(MessageId::kReadFailed));
            return kExitCannotAccess;
        }
        const int status = RunOnPath(path);
        if (status != kExitSuccess || !g_cli.options.toStandardOutput)
            return status;
        ClearSystemReason();
        if (!CopyMemoryFileToStdout()) {
            PrintProgramMessage(std::u16string(Say(CliText::kStandardOutputUnwritable)) +
                                ReasonSuffix());
            return kExitCannotAccess;
        }
        PrintStatusLine(Say(MessageId::kDone), false);
        return kExitSuccess;
    }
}

// --output: the one run's output path, in place of the derived name.
int SetOutputPath() {
    BeginRun(g_cli.options.output);
    std::u16string full;
    if (!FullPathFor(g_cli.options.output, &full))
        return kExitCannotAccess;
    SetOutputPathOverride(full.c_str());
    return kExitSuccess;
}

// The usage lines and the warning that open the help: what the program says when it is called
// with nothing, as the Windows console entry calls it, and when Explorer starts it.
std::u16string ShortUsage() {
    const std::u16string usage = Filled(Say(CliText::kUsage), ProgramName());
    return usage.substr(0, usage.find(u"\n\n") + 1);
}

// Parses the arguments, expands the FILE operands where the shell does not, and checks what
// they ask for. False when the command ends here, with its status in `*status`: after help or
// the version, or an error that was reported.
bool ReadCommandLine(const std::vector<std::u16string>& args, int* status) {
    *status = kExitUsage;
    const ParseOutcome parsed = ParseArguments(args, &g_cli.options);
    switch (parsed.result) {
        case ParseResult::kFailed:
            if (args.empty()) {
                WriteStderr(ShortUsage() + Filled(Say(CliText::kTryHelp), ProgramName()) + u"\n");
                return false;
            }
            UsageError(parsed.problem, parsed.named);
            return false;
        case ParseResult::kHelpShown:
            WriteStdout(HelpText(UserLanguage(), ProgramName()));
            *status = kExitSuccess;
            return false;
        case ParseResult::kVersionShown:
            WriteStdout(std::u16string(ProgramName()) + u" " ZOK_VERSION u"\n");
            *status = kExitSuccess;
            return false;
        case ParseResult::kParsed:
            break;
    }
    std::u16string unmatched;
    if (!ExpandWildcards(&g_cli.options.files, &unmatched)) {
        PrintProgramMessage(Filled(Say(CliText::kNoFileMatches), unmatched));
        *status = kExitCannotAccess;
        return false;
    }
    if (const auto problem =
            RefusedCombination(g_cli.options, HasDashAndDescriptors() && StdoutIsTerminal())) {
        UsageError(*problem);
        return false;
    }
    NoteStandardStreams(&g_cli.options);
    return true;
}

}  // namespace

int RunCommandLine(const std::vector<std::u16string>& args) {
    int status = kExitSuccess;
    if (!ReadCommandLine(args, &status))
        return status;
    const Options& options = g_cli.options;
    g_cli.askOnTerminal = StdinIsTerminal() || (options.standardInput && TerminalOpens());
    const bool drawBar = StderrIsTerminal() && !options.quiet;
    // A walk prints a line per file instead of the runs' status lines.
    SetConsoleStyle(drawBar, options.files.size() > 1, options.quiet || options.recursive);

    std::u16string password, confirmation;
    if (options.command != kShred) {
        status = ObtainPassword(options, g_cli.askOnTerminal, &password, &confirmation);
        if (status == kExitSuccess && options.command == kPasswd)
            status = TakeNewPassword();
        if (status != kExitSuccess) {
            Wipe(&password);
            Wipe(&confirmation);
            return status;
        }
    }

    if ((options.command == kCheck || options.command == kRecover) && !options.recursive) {
        status = RunRecoveryCommand(password, confirmation);
        Wipe(&password);
        Wipe(&confirmation);
        return status;
    }
    HeadlessReset();
    HeadlessSetHooks({OnBox, OnNote, OnProgress, nullptr});
    SetControlText(IDC_PASSWORD, password.c_str());
    SetControlText(IDC_CONFIRM, confirmation.c_str());
    Wipe(&password);
    Wipe(&confirmation);
    if (options.recursive) {
        HeadlessSetChecked(IDC_OVERWRITE_SOURCE, options.inPlace);
        status = RunWalk(drawBar);
        SetControlText(IDC_PASSWORD, u"");
        SetControlText(IDC_CONFIRM, u"");
        return status;
    }
    // A result for standard output is made in place, in the memory file.
    HeadlessSetChecked(IDC_OVERWRITE_SOURCE, options.inPlace || options.toStandardOutput);

    if (options.command == kPasswd && !TakePasswordDigests()) {
        PrintProgramMessage(Say(MessageId::kPasswordMismatch));
        status = kExitWrongPassword;
    } else {
        status = options.hasOutput ? SetOutputPath() : kExitSuccess;
    }
    if (status == kExitSuccess && (options.standardInput || options.toStandardOutput)) {
        status = RunFromMemory(options.files.front());
    } else if (status == kExitSuccess) {
        // Every FILE is tried; the first failure decides the status.
        for (const std::u16string& name : options.files) {
            const int fileStatus = RunOneFile(name);
            if (status == kExitSuccess)
                status = fileStatus;
        }
    }
    SetOutputPathOverride(nullptr);
    SetControlText(IDC_PASSWORD, u"");
    SetControlText(IDC_CONFIRM, u"");
    return status;
}

int RunInConsoleOfItsOwn(const std::vector<std::u16string>& args, void (*waitForEnter)()) {
    int status = kExitUsage;
    if (args.empty()) {
        WriteStdout(Filled(Say(CliText::kStartedAlone), ProgramName()) + ShortUsage() + u"\n");
    } else {
        status = RunCommandLine(args);
    }
    WriteStdout(std::u16string(Say(CliText::kPressEnter)));
    waitForEnter();
    return status;
}
