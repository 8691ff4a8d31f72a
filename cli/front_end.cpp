// The command line's dispatch: the arguments read, the password taken, and the command handed
// to its job: check and recover (cli/recovery.h), the walk of -r (walk_driver.cpp) or each
// FILE's run (single_runs.cpp). A run is pressed on the in-memory dialog as a user presses the
// window's button, and every check, message and byte comes from the run logic.
#include "cli/front_end.h"

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/front_end_state.h"
#include "cli/full_path.h"
#include "cli/help.h"
#include "cli/language.h"
#include "cli/linux_streams.h"
#include "cli/options.h"
#include "cli/password.h"
#include "cli/recovery.h"
#include "cli/terminal.h"
#include "cli/wildcards.h"
#include "fileops/prepare.h"
#include "ui/messages.h"

#ifndef ZOK_VERSION
#error "ZOK_VERSION is the project version, which the build defines"
#endif

FrontEnd g_cli;

namespace {

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

// The FILEs given, each run alone; --output names the one run's output.
int RunEachFile() {
    const Options& options = g_cli.options;
    if (options.hasOutput) {
        BeginRun(options.output);
        if (!FullPathFor(options.output, &g_cli.output) || !FitsPathField(g_cli.output))
            return kExitCannotAccess;
    }
    if (options.standardInput || options.toStandardOutput)
        return RunFromMemory(options.files.front());
    int status = kExitSuccess;
    for (const std::u16string& name : options.files)
        status = FirstFailure(status, RunOneFile(name));
    return status;
}

// The command once the password (if any) is taken.
int RunCommand(bool drawBar) {
    const Options& options = g_cli.options;
    // check and recover take the two entries as typed: no button is pressed.
    if ((options.command == kCheck || options.command == kRecover) && !options.recursive)
        return RunRecovery();
    // passwd and every walk but shred's tell containers by the digests: the entries must agree,
    // once, before any file.
    const bool byDigests =
        options.command == kPasswd || (options.recursive && options.command != kShred);
    if (byDigests && !TakeDigests()) {
        PrintProgramMessage(Say(MessageId::kPasswordMismatch));
        return kExitWrongPassword;
    }
    InstallDialogHooks();
    return options.recursive ? RunWalk(drawBar) : RunEachFile();
}

// The usage lines and the warning that open the help: what the program says when it is called
// with nothing, as the Windows console entry calls it, and when Explorer starts it.
std::u16string ShortUsage() {
    const std::u16string usage = Say(CliText::kUsage, ProgramName());
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
            if (args.empty())
                WriteStderr(ShortUsage() + Say(CliText::kTryHelp, ProgramName()) + u"\n");
            else
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
        PrintProgramMessage(Say(CliText::kNoFileMatches, unmatched));
        *status = kExitCannotAccess;
        return false;
    }
    if (const auto problem = RefusedCombination(
            g_cli.options, HasDashAndDescriptors() && IsTerminal(StandardStream::kOut))) {
        UsageError(*problem);
        return false;
    }
    NoteStandardStreams(&g_cli.options);
    return true;
}

// The command's whole work; RunCommandLine adds what standard output refused.
int RunArguments(const std::vector<std::u16string>& args) {
    int status = kExitSuccess;
    if (!ReadCommandLine(args, &status))
        return status;
    status = kExitSuccess;
    const Options& options = g_cli.options;
    g_cli.askOnTerminal =
        IsTerminal(StandardStream::kIn) || (options.standardInput && TerminalOpens());
    const bool drawBar = IsTerminal(StandardStream::kError) && !options.quiet;
    // A walk prints a line per file instead of the runs' status lines.
    SetConsoleStyle(drawBar, options.files.size() > 1, options.quiet || options.recursive);
    if (options.command != kShred) {
        status = ObtainPassword(options, g_cli.askOnTerminal, &g_cli.password, &g_cli.confirmation);
        if (status == kExitSuccess && options.command == kPasswd)
            status = TakeNewPassword();
    }
    if (status == kExitSuccess)
        status = RunCommand(drawBar);
    Wipe(&g_cli.password);
    Wipe(&g_cli.confirmation);
    return status;
}

}  // namespace

// As cat does: a failed write to standard output fails the command, said on standard error.
int RunCommandLine(const std::vector<std::u16string>& args) {
    const int status = RunArguments(args);
    SystemReason reason = SystemReason::kNone;
    if (!StdoutFailed(&reason))
        return status;
    NoteSystemReason(reason);
    PrintProgramMessage(std::u16string(Say(CliText::kStandardOutputUnwritable)) + ReasonSuffix());
    return FirstFailure(status, kExitCannotAccess);
}

int RunInConsoleOfItsOwn(const std::vector<std::u16string>& args, void (*waitForEnter)()) {
    int status = kExitUsage;
    if (args.empty()) {
        WriteStdout(Say(CliText::kStartedAlone, ProgramName()) + ShortUsage() + u"\n");
    } else {
        status = RunCommandLine(args);
    }
    WriteStdout(std::u16string(Say(CliText::kPressEnter)));
    waitForEnter();
    return status;
}
