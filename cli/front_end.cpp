// The command line drives the in-memory dialog as a user drives the window: for each file it
// fills the path, password and check box fields and presses Encrypt, Decrypt or Shred; the run
// goes on this thread, and the press returns once it has ended. Every check, message and byte
// comes from the run logic; this file only decides what to type, how to answer the boxes and
// what the outcome is.
#include "cli/front_end.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/folder_listing.h"
#include "cli/full_path.h"
#include "cli/interrupts.h"
#include "cli/linux_streams.h"
#include "cli/options.h"
#include "cli/password.h"
#include "cli/recovery.h"
#include "cli/terminal.h"
#include "cli/walk.h"
#include "cli/wildcards.h"
#include "core/container.h"
#include "fileops/app_state.h"
#include "fileops/file_access.h"
#include "fileops/output_name.h"
#include "fileops/prepare.h"
#include "fileops/run_layout.h"
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
    std::u16string fileName;     // FILE as named on the command line
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
    return options.command != kShred && !options.inPlace && !options.toStandardOutput;
}

// Prints each note as the run adds it to the status log. "Done." of a run whose result goes to
// standard output waits until the result is there (RunFromMemory); after a separate output it
// names the file, as a dot in a folder name can put it far from the source.
void OnNote(MessageId note, void*) {
    // Said after the error it belongs to, and also with --quiet (OnBox).
    if (note == MessageId::kPartlyWritten) {
        g_cli.partlyWritten = true;
        return;
    }
    // The window's note names its console and the command below it; the error that follows
    // says it in the command line's words.
    if (note == MessageId::kInterruptedSave)
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
    if (message == MessageId::kInterruptedSave)
        return Filled(Say(CliText::kDecryptHint), ProgramName());
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
        if (g_cli.partlyWritten) {
            const std::u16string command =
                std::u16string(ProgramName()) + u" recover " + g_cli.fileName;
            PrintFileMessage(Filled(Say(CliText::kPartlyWritten), command));
        }
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

// One run on the file at `full`; returns its exit status.
int RunOnPath(const std::u16string& full) {
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

int RunOneFile(const std::u16string& name) {
    BeginRun(Printable(name));
    std::u16string full;
    if (!IsTextFile(name) || !FullPathFor(name, &full) || !IsNotFolder(full))
        return kExitCannotAccess;
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
    int status = kExitSuccess;  // the first failure's
};

std::u16string SummaryOf(const WalkTally& tally) {
    return std::u16string(ProgramName()) + u": " +
           FilledInTurn(Say(CliText::kWalkSummary), {Number(tally.done), Number(tally.skipped),
                                                     Number(tally.failed), Number(tally.bytes)});
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

// What the first bytes of a file say about it, for the password with `checkDigest`.
enum class HeaderLook : uint8_t { kUnknown, kOwnContainer, kOther };

HeaderLook LookAtHeader(const std::u16string& full, uint32_t checkDigest, uint64_t* size) {
    const std::u16string native = kNativePrefix + full;
    uint8_t header[kContainerHeaderSize] = {};
    HeaderLook look = HeaderLook::kUnknown;
    if (GlanceAtFile(native.c_str(), header, kContainerHeaderSize, size)) {
        const ContainerHeader read = ReadHeader(header);
        look = *size > kContainerHeaderSize && *size <= kLargestFile &&
                       read.checkDigest == checkDigest &&
                       StoredSizeFits(read.originalSize, static_cast<uint32_t>(*size))
                   ? HeaderLook::kOwnContainer
                   : HeaderLook::kOther;
    }
    // The run that follows opens the file again and tells its own failure.
    ClearSystemReason();
    return look;
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

// One file of the walk.
void WalkFile(const WalkStep& step, WalkTally* tally) {
    const Options& options = g_cli.options;
    if (!IsTextFile(step.path)) {
        NoteFailed(tally, kExitCannotAccess);
        return;
    }
    uint64_t size = 0;
    if (options.command == kCheck) {
        bool skipped = false;
        const int status = CheckWalkedFile(Printable(step.display), step.path, g_app.checkValue,
                                           g_app.keyValue, options.quiet, &skipped, &size);
        if (skipped) {
            ++tally->skipped;
        } else if (status == kExitSuccess) {
            ++tally->done;
            tally->bytes += size;
        } else {
            NoteFailed(tally, status);
        }
        return;
    }
    if (step.path.size() >= kPathCapacity) {
        PrintFileMessage(Say(CliText::kPathTooLongForField));
        NoteFailed(tally, kExitCannotAccess);
        return;
    }
    const HeaderLook look = LookAtHeader(step.path, g_app.checkValue, &size);
    if (options.command == kEncrypt && look == HeaderLook::kOwnContainer) {
        NoteSkipped(tally, CliText::kSkippedOwnContainer);
        return;
    }
    if (options.command == kDecrypt && look == HeaderLook::kOther) {
        NoteSkipped(tally, CliText::kSkippedNotOwnContainer);
        return;
    }
    std::u16string output;
    if (WritesSeparateOutput() && !OutputStaysBeside(step.path, &output)) {
        PrintFileMessage(Filled(Say(CliText::kOutputElsewhere), output));
        NoteFailed(tally, kExitFailure);
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
    if (RemoveEmptyFolder(step.path, &holdsSomething) || g_cli.options.quiet)
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
    // A first pass counts the files for the "N/TOTAL" lines; the tree is listed again as it is
    // walked, so that only the folders on the way down are held.
    uint64_t total = 0;
    WalkTree(operands, PathSeparator(), shredding, ListFolder, [&](const WalkStep& step) {
        total += step.kind == StepKind::kRun ? 1 : 0;
        return true;
    });
    ClearSystemReason();
    uint64_t index = 0;
    WalkTree(operands, PathSeparator(), shredding, ListFolder, [&](const WalkStep& step) {
        BeginRun(Printable(step.display));
        switch (step.kind) {
            case StepKind::kRun:
                ++index;
                if (!options.quiet)
                    PrintLine(Number(index) + u"/" + Number(total < index ? index : total) + u" " +
                              Printable(step.display));
                WalkFile(step, &tally);
                break;
            case StepKind::kUnlistable:
                PrintFileMessage(std::u16string(Say(CliText::kFolderUnlistable)) + ReasonSuffix());
                NoteFailed(&tally, kExitCannotAccess);
                break;
            case StepKind::kFolderEnd:
                if (shredding)
                    RemoveWalkedFolder(step);
                break;
            default:
                NoteSkipped(&tally, WhySkipped(step.kind));
                break;
        }
        UpdateEndingNote(tally, barDrawn);
        // An interrupt during the save just done: the walk ends here, with what it did.
        if (const int end = PendingEnd()) {
            PrintWalkSummary(tally);
            EndAsInterrupted(end);
        }
        return true;
    });
    PrintWalkSummary(tally);
    return tally.status;
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

// The help's last part: each exit status and its meaning, from the one table.
std::u16string ExitStatusHelp() {
    std::u16string text(Say(CliText::kExitStatusHeading));
    text += u'\n';
    for (const ExitStatusRow& row : kExitStatuses) {
        const std::u16string status = ExitStatusText(row.status);
        text += u"  " + status;
        text.append(7 - status.size(), u' ');
        text += Filled(Say(row.meaning), EndingSignalStatuses());
        text += u'\n';
    }
    return text;
}

// The usage lines and the warning that open the help: what the program says when it is called
// with nothing, as the Windows console entry calls it, and when Explorer starts it.
std::u16string ShortUsage() {
    const std::u16string help = Filled(Say(CliText::kHelp), ProgramName());
    return help.substr(0, help.find(u"\n\n") + 1);
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
            WriteStdout(Filled(Say(CliText::kHelp), ProgramName()) + ExitStatusHelp());
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
        if (status != kExitSuccess)
            return status;
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

    status = options.hasOutput ? SetOutputPath() : kExitSuccess;
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
