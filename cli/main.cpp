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
#include "cli/recovery.h"
#include "cli/texts.h"
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
    kCheck = 12,  // check and recover press no button: cli/recovery.h
    kRecover = 13,
};
static_assert(kEncrypt == IDC_ENCRYPT && kDecrypt == IDC_DECRYPT && kShred == IDC_SHRED);

enum class PasswordSource : uint8_t { kTerminal, kStdin, kFile, kDescriptor };

struct Options {
    CommandKind command = kEncrypt;
    bool inPlace = false;
    bool yes = false;
    bool quiet = false;
    PasswordSource passwordSource = PasswordSource::kTerminal;
    uint32_t passwordSourceCount = 0;
    std::u16string passwordFile;  // --password-file, or the number given to --password-fd
    int passwordFd = -1;
    bool hasOutput = false;
    std::u16string output;
    bool standardInput = false;  // FILE is "-"
    std::vector<std::u16string> files;
};

// The front end's one state record. `outputLock` serialises everything written to standard
// error and the run outcome, which the hooks set from the worker thread.
struct FrontEnd {
    Options options;
    bool askOnTerminal = false;  // a terminal takes the password and the overwrite answer
    bool drawBar = false;
    std::mutex outputLock;
    std::u16string displayName;  // the file as named on the command line
    bool barActive = false;      // a transform is running: progress goes to the bar
    bool barShown = false;
    uint32_t barPermille = 0;
    bool nameLines = false;  // several FILEs: every line names its file
    bool completed = false;
    int runStatus = 0;                // the first failure of the current run, by kind
    bool refusedAsContainer = false;  // decrypt said wrong password or damaged
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

// "zok: FILE: "
std::u16string FilePrefix() {
    return Utf16Of(kProgram) + u": " + g_cli.displayName + u": ";
}

// "zok: FILE: message"
void PrintFileMessage(std::u16string_view message) {
    PrintLine(FilePrefix() + Utf16Of(message));
}

// "zok: message", for what concerns no one FILE.
void PrintProgramMessage(std::u16string_view message) {
    PrintLine(Utf16Of(kProgram) + u": " + Utf16Of(message));
}

static_assert(static_cast<uint32_t>(CliText::kReasonBrokenPipe) -
                      static_cast<uint32_t>(CliText::kReasonNoSuchFile) + 1 ==
                  kSystemReasonCount - 1,
              "one text per system reason, in the order of SystemReason");

// " (No such file or directory)" for the reason of the last refused system call, if known.
std::u16string ReasonSuffix() {
    const SystemReason reason = LastSystemReason();
    if (reason == SystemReason::kNone)
        return {};
    const auto text = static_cast<CliText>(static_cast<uint32_t>(CliText::kReasonNoSuchFile) +
                                           static_cast<uint32_t>(reason) -
                                           static_cast<uint32_t>(SystemReason::kNoSuchFile));
    return Filled(Say(CliText::kReasonFrame), Say(text));
}

// The exit status for a run that failed with `message`.
int ExitStatusOf(MessageId message) {
    switch (message) {
        case MessageId::kPasswordMismatch:
        case MessageId::kWrongPassword:
            return kExitWrongPassword;
        case MessageId::kDamaged:
            return kExitNotContainer;
        case MessageId::kOpenFailed:
        case MessageId::kReadFailed:
        case MessageId::kWriteFailed:
        case MessageId::kDeleteFailed:
        case MessageId::kPathTooLong:
            return kExitCannotAccess;
        case MessageId::kTooLarge:
        case MessageId::kNoMemory:
            return kExitTooLarge;
        default:
            return kExitFailure;
    }
}

// The messages after which the system's reason is worth telling.
bool IsAccessFailure(MessageId message) {
    return message == MessageId::kOpenFailed || message == MessageId::kReadFailed ||
           message == MessageId::kWriteFailed || message == MessageId::kDeleteFailed;
}

// Caller holds outputLock. The first failure of a run decides its status.
void NoteRunStatusLocked(int status) {
    if (g_cli.runStatus == kExitSuccess)
        g_cli.runStatus = status;
}

// --- Hooks of the in-memory dialog ---------------------------------------------------------

// Prints each note as the run adds it to the status log.
void OnNote(MessageId note, void*) {
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    // The bar belongs to the transform: from its note to the next line.
    g_cli.barActive = note == MessageId::kEncrypting || note == MessageId::kDecrypting;
    if (g_cli.options.quiet)
        return;
    EraseBarLocked();
    std::u16string out = g_cli.nameLines ? FilePrefix() : std::u16string();
    out += Say(note);
    out += u'\n';
    WriteStderr(out);
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
        if (!g_cli.options.quiet)
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
    } else if (!g_cli.options.quiet) {
        PrintLine(question + Utf16Of(Say(CliText::kAnsweredNo)));
    }
    PrintFileMessage(Say(CliText::kNotOverwritten));
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    NoteRunStatusLocked(kExitDeclined);
    return kAnswerNo;
}

int OnBox(MessageId message, uint32_t style, void*) {
    if (style == kBoxYesNo)
        return AnswerOverwrite();
    if (style == kBoxError) {
        std::u16string text(Say(message));
        if (IsAccessFailure(message))
            text += ReasonSuffix();
        PrintFileMessage(text);
        std::lock_guard<std::mutex> hold(g_cli.outputLock);
        NoteRunStatusLocked(ExitStatusOf(message));
        g_cli.refusedAsContainer |=
            message == MessageId::kWrongPassword || message == MessageId::kDamaged;
        return kAnswerOk;
    }
    // The completion box repeats the log's last line: it is not printed again.
    if (message != MessageId::kDone && !g_cli.options.quiet)
        PrintLine(Say(message));
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    if (message == MessageId::kDone)
        g_cli.completed = true;
    return kAnswerOk;
}

// --- Arguments -----------------------------------------------------------------------------

enum ParseResult { kParsed, kHelpShown, kVersionShown, kParseFailed };

enum class OptionId : uint8_t {
    kInPlace,
    kYes,
    kQuiet,
    kPasswordStdin,
    kPasswordFile,
    kPasswordFd,
    kOutput,
    kHelp,
    kVersion,
};

struct OptionForm {
    std::u16string_view longName;
    char16_t shortName;  // 0: none
    OptionId id;
    bool takesValue;
    bool cipherOnly;  // not for shred
};

constexpr OptionForm kOptionForms[] = {
    {u"--in-place", 0, OptionId::kInPlace, false, true},
    {u"--yes", u'y', OptionId::kYes, false, true},
    {u"--quiet", u'q', OptionId::kQuiet, false, false},
    {u"--password-stdin", 0, OptionId::kPasswordStdin, false, true},
    {u"--password-file", 0, OptionId::kPasswordFile, true, true},
    {u"--password-fd", 0, OptionId::kPasswordFd, true, true},
    {u"--output", u'o', OptionId::kOutput, true, true},
    {u"--help", u'h', OptionId::kHelp, false, false},
    {u"--version", u'V', OptionId::kVersion, false, false},
};

// The option this command accepts under `longName`, or under `shortName` when that is not 0.
const OptionForm* FindOption(CommandKind command, std::u16string_view longName,
                             char16_t shortName) {
    for (const OptionForm& form : kOptionForms) {
        if (form.cipherOnly && command == kShred)
            continue;
        if ((command == kCheck && (form.id == OptionId::kInPlace || form.id == OptionId::kYes ||
                                   form.id == OptionId::kOutput)) ||
            (command == kRecover && form.id == OptionId::kInPlace)) {
            continue;
        }
        if (form.id == OptionId::kPasswordFd && !HasStandardStreamFiles())
            continue;
        if (shortName != 0 ? form.shortName == shortName : form.longName == longName)
            return &form;
    }
    return nullptr;
}

bool ParseDescriptor(std::u16string_view text, int* fd) {
    if (text.empty() || text.size() > 9)
        return false;
    int value = 0;
    for (char16_t unit : text) {
        if (unit < u'0' || unit > u'9')
            return false;
        value = value * 10 + (unit - u'0');
    }
    *fd = value;
    return true;
}

// Applies one option; kParsed to go on.
ParseResult ApplyOption(const OptionForm& form, const std::u16string& value, Options* options) {
    switch (form.id) {
        case OptionId::kInPlace:
            options->inPlace = true;
            break;
        case OptionId::kYes:
            options->yes = true;
            break;
        case OptionId::kQuiet:
            options->quiet = true;
            break;
        case OptionId::kPasswordStdin:
            options->passwordSource = PasswordSource::kStdin;
            ++options->passwordSourceCount;
            break;
        case OptionId::kPasswordFile:
            if (value.empty()) {
                UsageError(CliText::kEmptyFileName);
                return kParseFailed;
            }
            options->passwordSource = PasswordSource::kFile;
            options->passwordFile = value;
            ++options->passwordSourceCount;
            break;
        case OptionId::kPasswordFd:
            if (!ParseDescriptor(value, &options->passwordFd)) {
                UsageError(CliText::kBadDescriptor, value);
                return kParseFailed;
            }
            options->passwordSource = PasswordSource::kDescriptor;
            options->passwordFile = value;
            ++options->passwordSourceCount;
            break;
        case OptionId::kOutput:
            if (value.empty()) {
                UsageError(CliText::kEmptyFileName);
                return kParseFailed;
            }
            options->hasOutput = true;
            options->output = value;
            break;
        case OptionId::kHelp:
            return kHelpShown;
        case OptionId::kVersion:
            return kVersionShown;
    }
    return kParsed;
}

bool ParseCommand(std::u16string_view word, CommandKind* command) {
    if (word == u"encrypt") {
        *command = kEncrypt;
    } else if (word == u"decrypt") {
        *command = kDecrypt;
    } else if (word == u"shred") {
        *command = kShred;
    } else if (word == u"check") {
        *command = kCheck;
    } else if (word == u"recover") {
        *command = kRecover;
    } else {
        return false;
    }
    return true;
}

// "--name", "--name=value" and "--name value"; "-x", "-xy" (flags together), "-oOUT" and
// "-o OUT". `next` is advanced past a value taken from the following argument.
ParseResult ParseOption(const std::vector<std::u16string>& args, size_t* next, Options* options) {
    const std::u16string& arg = args[*next];
    const auto valueAfter = [&](const std::u16string& name, std::u16string* value) {
        if (*next + 1 >= args.size()) {
            UsageError(CliText::kOptionNeedsValue, name);
            return false;
        }
        *value = args[++*next];
        return true;
    };
    if (arg.compare(0, 2, u"--") == 0) {
        const size_t equals = arg.find(u'=');
        const std::u16string name = arg.substr(0, equals);
        const OptionForm* form = FindOption(options->command, name, 0);
        if (form == nullptr) {
            UsageError(CliText::kUnknownOption, name);
            return kParseFailed;
        }
        std::u16string value;
        if (equals != std::u16string::npos) {
            if (!form->takesValue) {
                UsageError(CliText::kOptionTakesNoValue, name);
                return kParseFailed;
            }
            value = arg.substr(equals + 1);
        } else if (form->takesValue && !valueAfter(name, &value)) {
            return kParseFailed;
        }
        return ApplyOption(*form, value, options);
    }
    for (size_t at = 1; at < arg.size(); ++at) {
        const std::u16string name = std::u16string(u"-") + arg[at];
        const OptionForm* form = FindOption(options->command, {}, arg[at]);
        if (form == nullptr) {
            UsageError(CliText::kUnknownOption, name);
            return kParseFailed;
        }
        std::u16string value;
        if (form->takesValue) {
            if (at + 1 < arg.size()) {
                value = arg.substr(at + 1);
            } else if (!valueAfter(name, &value)) {
                return kParseFailed;
            }
            return ApplyOption(*form, value, options);
        }
        const ParseResult result = ApplyOption(*form, value, options);
        if (result != kParsed)
            return result;
    }
    return kParsed;
}

// The combinations that cannot work, refused before anything is read or run.
bool CheckCombinations(Options* options) {
    if (options->files.empty()) {
        UsageError(CliText::kNoFileGiven);
        return false;
    }
    if (options->passwordSourceCount > 1) {
        UsageError(CliText::kTwoPasswordSources);
        return false;
    }
    if (options->hasOutput && options->inPlace) {
        UsageError(CliText::kOutputWithInPlace);
        return false;
    }
    if (options->hasOutput && options->files.size() > 1) {
        UsageError(CliText::kOutputWithSeveralFiles);
        return false;
    }
    bool anyStandardInput = false;
    for (const std::u16string& file : options->files) anyStandardInput |= file == u"-";
    if (options->command == kRecover && options->files.size() > 1) {
        UsageError(CliText::kRecoverOneFile);
        return false;
    }
    if ((options->command == kCheck || options->command == kRecover) && anyStandardInput &&
        HasStandardStreamFiles()) {
        UsageError(CliText::kRecoveryStandardInput);
        return false;
    }
    if (!anyStandardInput || !HasStandardStreamFiles())
        return true;
    options->standardInput = true;
    CliText problem = CliText::kHelp;
    if (options->files.size() > 1) {
        problem = CliText::kStandardInputNotAlone;
    } else if (options->command == kShred) {
        problem = CliText::kShredStandardInput;
    } else if (options->inPlace) {
        problem = CliText::kStandardInputInPlace;
    } else if (options->passwordSource == PasswordSource::kStdin ||
               (options->passwordSource == PasswordSource::kDescriptor &&
                options->passwordFd == 0)) {
        problem = CliText::kStandardInputTwice;
    } else if (options->command == kEncrypt && !options->hasOutput && StdoutIsTerminal()) {
        problem = CliText::kEncryptToTerminal;
    }
    if (problem == CliText::kHelp)
        return true;
    UsageError(problem);
    return false;
}

ParseResult ParseArguments(const std::vector<std::u16string>& args, Options* options) {
    if (args.empty()) {
        UsageError(CliText::kNoCommand);
        return kParseFailed;
    }
    if (args[0] == u"--help" || args[0] == u"-h")
        return kHelpShown;
    if (args[0] == u"--version" || args[0] == u"-V")
        return kVersionShown;
    if (!ParseCommand(args[0], &options->command)) {
        UsageError(CliText::kUnknownCommand, args[0]);
        return kParseFailed;
    }
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != u'-') {
            if (arg.empty()) {
                UsageError(CliText::kEmptyFileName);
                return kParseFailed;
            }
            options->files.push_back(arg);
        } else if (arg == u"--") {
            optionsEnded = true;
        } else {
            const ParseResult result = ParseOption(args, &i, options);
            if (result != kParsed)
                return result;
        }
    }
    return CheckCombinations(options) ? kParsed : kParseFailed;
}

// Reads one line from the source the options name; kCannotRead after an error was reported.
LineResult ReadPasswordFromSource(std::u16string* line) {
    LineResult result = LineResult::kRead;
    if (g_cli.options.passwordSource == PasswordSource::kStdin) {
        result = ReadStdinLine(line);
    } else if (g_cli.options.passwordSource == PasswordSource::kFile) {
        result = ReadFirstLineOfFile(g_cli.options.passwordFile, line);
    } else {
        result = ReadDescriptorLine(g_cli.options.passwordFd, line);
    }
    if (result == LineResult::kCannotRead) {
        PrintProgramMessage(
            Filled(Say(CliText::kPasswordFileUnreadable), g_cli.options.passwordFile) +
            ReasonSuffix());
    }
    return result;
}

// Asks twice on the terminal; entries that differ are asked again, three tries in all. The last
// entries go to the run as typed, which refuses them if they still differ.
LineResult AskPasswordOnTerminal(std::u16string* first, std::u16string* second) {
    constexpr int kTries = 3;
    for (int attempt = 1;; ++attempt) {
        LineResult result = ReadSecretLine(Say(CliText::kPasswordPrompt), first);
        if (result == LineResult::kRead)
            result = ReadSecretLine(Say(CliText::kConfirmPrompt), second);
        if (result != LineResult::kRead || *first == *second || attempt == kTries)
            return result;
        PrintLine(Say(CliText::kEntriesDiffer));
    }
}

// Reads the password once for every file. The two entries go into the two fields as given;
// the run compares them. Returns kExitSuccess, or the status after an error was reported.
int ObtainPassword(std::u16string* first, std::u16string* second) {
    LineResult result;
    if (g_cli.options.passwordSource != PasswordSource::kTerminal) {
        result = ReadPasswordFromSource(first);
        if (result == LineResult::kCannotRead)
            return kExitCannotAccess;
        *second = *first;
    } else {
        if (!g_cli.askOnTerminal)
            return UsageError(CliText::kNoTerminal);
        result = AskPasswordOnTerminal(first, second);
    }
    if (result == LineResult::kBadText)
        return UsageError(CliText::kPasswordNotUtf8);
    // A field holds text up to its first NUL: a password with one cannot be typed.
    if (first->find(u'\0') != std::u16string::npos || second->find(u'\0') != std::u16string::npos)
        return UsageError(CliText::kPasswordHasNul);
    return kExitSuccess;
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
}

int EndRunStatus() {
    std::lock_guard<std::mutex> hold(g_cli.outputLock);
    EraseBarLocked();
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
        PrintFileMessage(Say(CliText::kPathTooLong));
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

int RunOneFile(const std::u16string& name) {
    BeginRun(name);
    std::u16string full;
    if (!FullPathFor(name, &full))
        return kExitCannotAccess;
    const int status = RunOnPath(full);
    // The digests of the refused run are still in the state record.
    if (g_cli.options.command == kDecrypt && g_cli.refusedAsContainer &&
        IsRecoverableWreck(full, g_app.checkValue, g_app.keyValue)) {
        PrintFileMessage(Filled(Say(CliText::kDecryptHint), kProgram));
    }
    return status;
}

// --- check and recover ---------------------------------------------------------------------

std::u16string_view SayText(CliText text) {
    return Say(text);
}

std::u16string_view SayMessage(MessageId message) {
    return Say(message);
}

void PrintNamedLine(std::u16string_view file, std::u16string_view text) {
    PrintLine(Utf16Of(kProgram) + u": " + Utf16Of(file) + u": " + Utf16Of(text));
}

int RunRecoveryCommand(const std::u16string& password, const std::u16string& confirmation) {
    const Options& options = g_cli.options;
    RecoveryRequest request;
    request.recover = options.command == kRecover;
    request.password = password;
    request.confirmation = confirmation;
    request.files = options.files;
    request.output = options.hasOutput ? &options.output : nullptr;
    request.replace = options.yes;
    request.quiet = options.quiet;
    return RunRecovery(request, {SayText, SayMessage, PrintNamedLine, ReasonSuffix});
}

// "-": standard input, read whole into memory, runs in place (or into --output); the result
// goes to standard output.
int RunOnStandardInput() {
    BeginRun(u"-");
    const uint64_t limit = g_cli.options.command == kEncrypt ? kLargestPlainFile : kLargestFile;
    std::u16string path;
    if (!LoadStandardInput(limit, &path)) {
        PrintProgramMessage(Utf16Of(Say(CliText::kStandardInputUnreadable)) + ReasonSuffix());
        return kExitCannotAccess;
    }
    const int status = RunOnPath(path);
    if (status != kExitSuccess || g_cli.options.hasOutput)
        return status;
    ClearSystemReason();
    if (!CopyStandardInputFileToStdout()) {
        PrintProgramMessage(Utf16Of(Say(CliText::kStandardOutputUnwritable)) + ReasonSuffix());
        return kExitCannotAccess;
    }
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
            WriteStdout(Filled(Say(CliText::kHelp), kProgram));
            return kExitSuccess;
        case kVersionShown:
            WriteStdout(u"zok " ZOK_VERSION u"\n");
            return kExitSuccess;
        case kParsed:
            break;
    }
    const Options& options = g_cli.options;
    g_cli.askOnTerminal = StdinIsTerminal() || (options.standardInput && TerminalOpens());
    g_cli.drawBar = StderrIsTerminal() && !options.quiet;
    g_cli.nameLines = options.files.size() > 1;

    std::u16string password, confirmation;
    if (options.command != kShred) {
        const int status = ObtainPassword(&password, &confirmation);
        if (status != kExitSuccess)
            return status;
    }
    if (options.command == kCheck || options.command == kRecover) {
        const int status = RunRecoveryCommand(password, confirmation);
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
    HeadlessSetChecked(IDC_OVERWRITE_SOURCE,
                       options.inPlace || (options.standardInput && !options.hasOutput));

    int status = options.hasOutput ? SetOutputPath() : kExitSuccess;
    if (status == kExitSuccess && options.standardInput) {
        status = RunOnStandardInput();
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
