// The command line drives the in-memory dialog as a user drives the window: for each file it
// fills the path, password and check box fields, presses Encrypt, Decrypt or Shred on this
// thread (the dialog's user-interface thread) and waits until the action buttons are enabled
// again. Every check, message and byte comes from the run logic; this file only decides what to
// type, how to answer the boxes and what the outcome is.
#include "cli/front_end.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/password.h"
#include "cli/platform.h"
#include "cli/recovery.h"
#include "cli/wildcards.h"
#include "fileops/app_state.h"
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

constexpr uint32_t kWaitSliceMs = 1000;

// The command line's state for its runs. The run outcome is set by the hooks on the worker
// thread, under `outcomeLock`.
struct FrontEnd {
    Options options;
    bool askOnTerminal = false;  // a terminal takes the password and the overwrite answer
    std::mutex outcomeLock;
    bool completed = false;
    int runStatus = 0;                // the first failure of the current run, by kind
    bool refusedAsContainer = false;  // decrypt said wrong password or damaged
};

FrontEnd g_cli;

// The first failure of a run decides its status.
void NoteRunStatus(int status) {
    std::lock_guard<std::mutex> hold(g_cli.outcomeLock);
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
int AnswerOverwrite() {
    const std::u16string question = std::u16string(ProgramName()) + u": " + RunPath() + u": " +
                                    std::u16string(Say(MessageId::kOverwriteQuestion)) +
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

int OnBox(MessageId message, uint32_t style, void*) {
    if (style == kBoxYesNo)
        return AnswerOverwrite();
    if (style == kBoxError) {
        PrintFileMessage(FailureText(message));
        NoteRunStatus(ExitStatusOf(message));
        std::lock_guard<std::mutex> hold(g_cli.outcomeLock);
        g_cli.refusedAsContainer |=
            message == MessageId::kWrongPassword || message == MessageId::kDamaged;
        return kAnswerOk;
    }
    // The completion box repeats the log's last line: it is not printed again.
    if (message != MessageId::kDone && !g_cli.options.quiet)
        PrintLine(Say(message));
    std::lock_guard<std::mutex> hold(g_cli.outcomeLock);
    if (message == MessageId::kDone)
        g_cli.completed = true;
    return kAnswerOk;
}

// --- Runs ----------------------------------------------------------------------------------

void BeginRun(std::u16string_view displayName) {
    SetConsoleFile(displayName);
    std::lock_guard<std::mutex> hold(g_cli.outcomeLock);
    g_cli.completed = false;
    g_cli.runStatus = kExitSuccess;
    g_cli.refusedAsContainer = false;
    ClearSystemReason();
}

// The press returns at once when the preparation failed (buttons still enabled) and otherwise
// with the worker started (buttons disabled). The worker re-enables them after its last box,
// perhaps before this wait begins.
void PressAndWait(CommandKind command) {
    if (command == kShred) {
        StartShredRun();
    } else {
        PrepareCipherRun(command);
    }
    while (!HeadlessWaitUntilEnabled(IDC_SHRED, kWaitSliceMs)) {
    }
    WaitForRunWorker();
}

int EndRunStatus() {
    EraseBar();
    std::lock_guard<std::mutex> hold(g_cli.outcomeLock);
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
    PressAndWait(g_cli.options.command);
    return EndRunStatus();
}

// False, after the error was reported, for a FILE whose name is not text.
bool IsTextFile(const std::u16string& name) {
    if (IsText(name))
        return true;
    PrintFileMessage(Say(CliText::kNameNotText));
    return false;
}

int RunOneFile(const std::u16string& name) {
    BeginRun(Printable(name));
    std::u16string full;
    if (!IsTextFile(name) || !FullPathFor(name, &full))
        return kExitCannotAccess;
    const int status = RunOnPath(full);
    if (status == kExitSuccess && g_app.bytesAfterContainer > 0) {
        PrintFileMessage(
            Filled(Say(CliText::kDecryptBytesAfter), Number(g_app.bytesAfterContainer)));
    }
    // A refused decryption of what an interrupted save left points to recover. The digests of
    // the refused run are still in the state record.
    if (g_cli.options.command == kDecrypt && g_cli.refusedAsContainer &&
        IsRecoverableWreck(full, g_app.checkValue, g_app.keyValue)) {
        PrintFileMessage(Filled(Say(CliText::kDecryptHint), ProgramName()));
    }
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

// Parses the arguments, expands the FILE operands where the shell does not, and checks what
// they ask for. False when the command ends here, with its status in `*status`: after help or
// the version, or an error that was reported.
bool ReadCommandLine(const std::vector<std::u16string>& args, int* status) {
    *status = kExitUsage;
    const ParseOutcome parsed = ParseArguments(args, &g_cli.options);
    switch (parsed.result) {
        case ParseResult::kFailed:
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
    SetConsoleStyle(StderrIsTerminal() && !options.quiet, options.files.size() > 1, options.quiet);

    std::u16string password, confirmation;
    if (options.command != kShred) {
        status = ObtainPassword(options, g_cli.askOnTerminal, &password, &confirmation);
        if (status != kExitSuccess)
            return status;
    }

    if (options.command == kCheck || options.command == kRecover) {
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
