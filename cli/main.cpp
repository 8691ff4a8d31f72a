// The command line drives the in-memory dialog as a user drives the window: for each file it
// fills the path, password and check box fields, presses Encrypt, Decrypt or Shred on this
// thread (the dialog's user-interface thread) and waits until the action buttons are enabled
// again. Every check, message and byte comes from the run logic; this file only decides what to
// type, how to answer the boxes and what to print.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "cli/front_end.h"
#include "cli/language.h"
#include "cli/platform.h"
#include "cli/texts.h"
#include "fileops/app_state.h"
#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

#ifndef ZOK_PROGRAM_NAME
#define ZOK_PROGRAM_NAME u"zok"
#endif
#ifndef ZOK_VERSION
#error "ZOK_VERSION is the project version, which the build defines"
#endif

namespace {

constexpr std::u16string_view kProgram = ZOK_PROGRAM_NAME;
constexpr uint32_t kBarCells = 40;
constexpr uint32_t kWaitSliceMs = 1000;

// A command is the press of its button: its value is the button's control identifier.
enum CommandKind : uint32_t {
    kEncrypt = 9,
    kDecrypt = 10,
    kShred = 11,
};
static_assert(kEncrypt == IDC_ENCRYPT && kDecrypt == IDC_DECRYPT && kShred == IDC_SHRED);

struct Options {
    CommandKind command = kEncrypt;
    bool inPlace = false;
    bool yes = false;
    bool passwordStdin = false;
    std::vector<std::u16string> files;
};

// The front end's one state record. `outputLock` serialises everything written to standard
// error and the run outcome, which the hooks set from the worker thread.
struct FrontEnd {
    Options options;
    bool askOnTerminal = false;
    bool drawBar = false;
    std::mutex outputLock;
    std::u16string displayName;  // the file as named on the command line
    bool barActive = false;      // a transform is running: progress goes to the bar
    bool barShown = false;
    uint32_t barPermille = 0;
    bool completed = false;
    bool failed = false;
};

FrontEnd g_cli;

// Everything printed is in one language, chosen at the first word.
Language Speaking() {
    static const Language language = UserLanguage();
    return language;
}

std::u16string_view Say(MessageId message) {
    return TextIn(Speaking(), message);
}

std::u16string_view Say(CliText text) {
    return TextIn(Speaking(), text);
}

std::u16string Utf16Of(std::u16string_view text) {
    return std::u16string(text);
}

// --- Output on standard error ------------------------------------------------------------

// Caller holds outputLock.
void EraseBarLocked() {
    if (!g_cli.barShown)
        return;
    std::u16string blank = u"\r";
    blank.append(kBarCells + 8, u' ');
    blank += u'\r';
    WriteStderr(blank);
    g_cli.barShown = false;
}

void DrawBarLocked(uint32_t permille) {
    std::u16string bar = u"\r[";
    const uint32_t filled = permille * kBarCells / 1000;
    bar.append(filled, u'#');
    bar.append(kBarCells - filled, u'.');
    bar += u"] ";
    const uint32_t percent = permille / 10;
    if (percent < 100)
        bar += u' ';
    if (percent < 10)
        bar += u' ';
    for (char c : std::to_string(percent)) bar += static_cast<char16_t>(c);
    bar += u'%';
    WriteStderr(bar);
    g_cli.barShown = true;
    g_cli.barPermille = permille;
}

void PrintLine(std::u16string_view line) {
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    EraseBarLocked();
    std::u16string text(line);
    text += u'\n';
    WriteStderr(text);
}

// "zok: FILE: message"
void PrintFileMessage(std::u16string_view message) {
    std::u16string text = Utf16Of(kProgram) + u": " + g_cli.displayName + u": ";
    text += message;
    PrintLine(text);
}

// --- Hooks of the in-memory dialog ---------------------------------------------------------

// Prints each note as the run adds it to the status log.
void OnNote(MessageId note, void*) {
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    EraseBarLocked();
    std::u16string out(Say(note));
    out += u'\n';
    WriteStderr(out);
    // The bar belongs to the transform: from its note to the next line.
    g_cli.barActive = note == MessageId::kEncrypting || note == MessageId::kDecrypting;
}

void OnProgress(uint32_t position, uint32_t high, void*) {
    if (!g_cli.drawBar)
        return;
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    if (!g_cli.barActive)
        return;
    uint64_t permille = high == 0 ? 0 : uint64_t{position} * 1000 / high;
    if (permille > 1000)
        permille = 1000;
    if (g_cli.barShown && permille == g_cli.barPermille)
        return;
    DrawBarLocked(static_cast<uint32_t>(permille));
}

// The question names the output by its full path: a dot in a folder name can put the output
// far from the file named on the command line.
int AnswerOverwrite() {
    const std::u16string question = Utf16Of(kProgram) + u": " + RunPath() + u": " +
                                    Utf16Of(Say(MessageId::kOverwriteQuestion)) +
                                    Utf16Of(Say(CliText::kQuestionKeys));
    if (g_cli.options.yes) {
        PrintLine(question + Utf16Of(Say(CliText::kAnsweredYes)));
        return kAnswerYes;
    }
    if (g_cli.askOnTerminal) {
        {
            std::lock_guard<std::mutex> hold(g_cli.outputLock);
            EraseBarLocked();
        }
        if (AskOnTerminal(question))
            return kAnswerYes;
    } else {
        PrintLine(question + Utf16Of(Say(CliText::kAnsweredNo)));
    }
    PrintFileMessage(Say(CliText::kNotOverwritten));
    return kAnswerNo;
}

int OnBox(MessageId message, uint32_t style, void*) {
    if (style == kBoxYesNo)
        return AnswerOverwrite();
    if (style == kBoxError) {
        PrintFileMessage(Say(message));
        std::lock_guard<std::mutex> hold(g_cli.outputLock);
        g_cli.failed = true;
        return kAnswerOk;
    }
    // The completion box repeats the log's last line: it is not printed again.
    if (message != MessageId::kDone)
        PrintLine(Say(message));
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    if (message == MessageId::kDone)
        g_cli.completed = true;
    return kAnswerOk;
}

// --- Arguments -----------------------------------------------------------------------------

enum ParseResult { kParsed, kHelpShown, kVersionShown, kParseFailed };

bool ParseCommand(std::u16string_view word, CommandKind* command) {
    if (word == u"encrypt") {
        *command = kEncrypt;
    } else if (word == u"decrypt") {
        *command = kDecrypt;
    } else if (word == u"shred") {
        *command = kShred;
    } else {
        return false;
    }
    return true;
}

ParseResult ParseArguments(const std::vector<std::u16string>& args, Options* options) {
    if (args.empty()) {
        UsageError(CliText::kNoCommand);
        return kParseFailed;
    }
    if (args[0] == u"--help" || args[0] == u"-h")
        return kHelpShown;
    if (args[0] == u"--version")
        return kVersionShown;
    if (!ParseCommand(args[0], &options->command)) {
        UsageError(CliText::kUnknownCommand, args[0]);
        return kParseFailed;
    }
    const bool cipher = options->command != kShred;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != u'-') {
            if (arg.empty()) {
                UsageError(CliText::kEmptyFileName);
                return kParseFailed;
            }
            options->files.push_back(arg);
        } else if (arg == u"--") {
            optionsEnded = true;
        } else if (arg == u"--help" || arg == u"-h") {
            return kHelpShown;
        } else if (cipher && arg == u"--in-place") {
            options->inPlace = true;
        } else if (cipher && arg == u"--yes") {
            options->yes = true;
        } else if (cipher && arg == u"--password-stdin") {
            options->passwordStdin = true;
        } else {
            UsageError(CliText::kUnknownOption, arg);
            return kParseFailed;
        }
    }
    if (options->files.empty()) {
        UsageError(CliText::kNoFileGiven);
        return kParseFailed;
    }
    return kParsed;
}

// Reads the password once for every file: from standard input, or twice from the terminal.
// The two terminal entries go into the two fields as typed; the run compares them. False after
// a usage error was reported.
bool ObtainPassword(std::u16string* first, std::u16string* second) {
    LineResult result;
    if (g_cli.options.passwordStdin) {
        result = ReadStdinLine(first);
        *second = *first;
    } else {
        if (!StdinIsTerminal()) {
            UsageError(CliText::kNoTerminal);
            return false;
        }
        result = ReadSecretLine(Say(CliText::kPasswordPrompt), first);
        if (result == LineResult::kRead)
            result = ReadSecretLine(Say(CliText::kConfirmPrompt), second);
    }
    if (result == LineResult::kBadText) {
        UsageError(CliText::kPasswordNotUtf8);
        return false;
    }
    // A field holds text up to its first NUL: a password with one cannot be typed.
    if (first->find(u'\0') != std::u16string::npos || second->find(u'\0') != std::u16string::npos) {
        UsageError(CliText::kPasswordHasNul);
        return false;
    }
    return true;
}

void Wipe(std::u16string* text) {
    volatile char16_t* units = text->data();
    for (size_t i = 0; i < text->size(); ++i) units[i] = 0;
    text->clear();
}

// --- Runs ----------------------------------------------------------------------------------

void BeginRun(const std::u16string& displayName) {
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    g_cli.displayName = displayName;
    g_cli.barActive = false;
    g_cli.completed = false;
    g_cli.failed = false;
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
}

bool EndRunSucceeded() {
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    EraseBarLocked();
    return g_cli.completed && !g_cli.failed;
}

bool RunOneFile(const std::u16string& name) {
    BeginRun(name);
    std::u16string full;
    if (!MakeFullPath(name, &full)) {
        PrintFileMessage(Say(CliText::kNoCurrentDirectory));
        return false;
    }
    // The field would cut a longer path and name another file.
    if (full.size() >= kPathCapacity) {
        PrintFileMessage(Say(CliText::kPathTooLong));
        return false;
    }
    SetControlText(IDC_PATH, full.c_str());
    PressAndWait(g_cli.options.command);
    return EndRunSucceeded();
}

}  // namespace

int UsageError(CliText problem, std::u16string_view named) {
    std::u16string text = Utf16Of(kProgram) + u": " + Filled(Say(problem), named) + u"\n";
    text += Filled(Say(CliText::kTryHelp), kProgram) + u"\n";
    WriteStderr(text);
    return kExitUsage;
}

int RunCommandLine(const std::vector<std::u16string>& args) {
    switch (ParseArguments(args, &g_cli.options)) {
        case kParseFailed:
            return kExitUsage;
        case kHelpShown:
            WriteStdout(Say(CliText::kHelp));
            return kExitSuccess;
        case kVersionShown:
            WriteStdout(u"zok " ZOK_VERSION u"\n");
            return kExitSuccess;
        case kParsed:
            break;
    }
    g_cli.askOnTerminal = StdinIsTerminal();
    g_cli.drawBar = StderrIsTerminal();

    std::u16string password, confirmation;
    if (g_cli.options.command != kShred && !ObtainPassword(&password, &confirmation)) {
        return kExitUsage;
    }

    HeadlessReset();
    HeadlessSetHooks({OnBox, OnNote, OnProgress, nullptr});
    SetControlText(IDC_PASSWORD, password.c_str());
    SetControlText(IDC_CONFIRM, confirmation.c_str());
    Wipe(&password);
    Wipe(&confirmation);
    HeadlessSetChecked(IDC_OVERWRITE_SOURCE, g_cli.options.inPlace);

    bool allCompleted = true;
    for (const std::u16string& name : g_cli.options.files) {
        if (!RunOneFile(name))
            allCompleted = false;
    }
    SetControlText(IDC_PASSWORD, u"");
    SetControlText(IDC_CONFIRM, u"");
    return allCompleted ? kExitSuccess : kExitFailure;
}
