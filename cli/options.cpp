// The parse over the option table (options.h): "--name", "--name=value", "--name value",
// "-x", "-xy", "-oOUT", "-o OUT" and "--", for the command given first.
#include "cli/options.h"

#include <algorithm>
#include <utility>

#include "cli/arguments.h"
#include "cli/linux_streams.h"

namespace {

// The option that `commands` take under `name`: its long name, or "-" and its short name.
const OptionForm* FindOption(CommandSet commands, std::u16string_view name) {
    for (const OptionForm& form : kOptionForms) {
        const bool isShort = name.size() == 2 && name[0] == u'-' && name[1] == form.shortName;
        if ((form.commands & commands) != 0 && (isShort || name == form.longName))
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

// A usage error: the parse ends with `problem`, which names `named`.
ParseOutcome Refused(CliText problem, std::u16string named = {}) {
    return {ParseResult::kFailed, problem, std::move(named)};
}

const ParseOutcome kGoOn = {};

// A password source named on the command line, with its value: a file name, a descriptor's
// number, or none for standard input.
ParseOutcome NotePasswordSource(PasswordSource source, const std::u16string& value,
                                PasswordOrigin* origin) {
    if (source == PasswordSource::kDescriptor && !ParseDescriptor(value, &origin->fd))
        return Refused(CliText::kBadDescriptor, Printable(value));
    origin->source = source;
    origin->name = value;
    ++origin->count;
    return kGoOn;
}

// Applies one option; kParsed to go on.
ParseOutcome ApplyOption(const OptionForm& form, const std::u16string& value, Options* options) {
    // A file name given as an option's value: not empty, and text.
    if (form.value == OptionValue::kFileName && value.empty())
        return Refused(CliText::kEmptyFileName);
    if (form.value == OptionValue::kFileName && !IsText(value))
        return Refused(CliText::kArgumentNotUtf8);
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
        case OptionId::kRecursive:
            options->recursive = true;
            break;
        case OptionId::kDryRun:
            options->dryRun = true;
            break;
        case OptionId::kForce:
            options->force = true;
            break;
        case OptionId::kPasswordStdin:
            return NotePasswordSource(PasswordSource::kStdin, value, &options->password);
        case OptionId::kPasswordFile:
            return NotePasswordSource(PasswordSource::kFile, value, &options->password);
        case OptionId::kPasswordFd:
            return NotePasswordSource(PasswordSource::kDescriptor, value, &options->password);
        case OptionId::kNewPasswordStdin:
            return NotePasswordSource(PasswordSource::kStdin, value, &options->newPassword);
        case OptionId::kNewPasswordFile:
            return NotePasswordSource(PasswordSource::kFile, value, &options->newPassword);
        case OptionId::kNewPasswordFd:
            return NotePasswordSource(PasswordSource::kDescriptor, value, &options->newPassword);
        case OptionId::kOutput:
            options->hasOutput = true;
            options->output = value;
            break;
        case OptionId::kHelp:
            return {ParseResult::kHelpShown};
        case OptionId::kVersion:
            return {ParseResult::kVersionShown};
    }
    return kGoOn;
}

// "--name", "--name=value" and "--name value"; "-x", "-xy" (flags together), "-oOUT" and
// "-o OUT". `next` is advanced past a value taken from the following argument.
ParseOutcome ParseOption(const std::vector<std::u16string>& args, size_t* next, Options* options) {
    const std::u16string& arg = args[*next];
    const bool isLong = arg.starts_with(u"--");
    for (size_t at = 1; at < arg.size(); ++at) {
        // A long option's name ends at "=", a short one's after its letter; what follows in the
        // argument (after the "=") is the value.
        const size_t end = isLong ? std::min(arg.find(u'='), arg.size()) : at + 1;
        const std::u16string name = isLong ? arg.substr(0, end) : std::u16string{u'-', arg[at]};
        const OptionForm* form = FindOption(CommandBit(options->command), name);
        if (form == nullptr)
            return Refused(CliText::kUnknownOption, Printable(name));
        std::u16string value;
        if (form->value == OptionValue::kNone) {
            if (isLong && end < arg.size())
                return Refused(CliText::kOptionTakesNoValue, name);
            const ParseOutcome outcome = ApplyOption(*form, value, options);
            if (isLong || outcome.result != ParseResult::kParsed)
                return outcome;
            continue;
        }
        if (end < arg.size()) {
            value = arg.substr(isLong ? end + 1 : end);
        } else if (*next + 1 < args.size()) {
            value = args[++*next];
        } else {
            return Refused(CliText::kOptionNeedsValue, name);
        }
        return ApplyOption(*form, value, options);
    }
    return kGoOn;
}

}  // namespace

ParseOutcome ParseArguments(const std::vector<std::u16string>& args, Options* options) {
    if (args.empty())
        return Refused(CliText::kNoCommand);
    // Before a command, an option stands alone: "--help", "-h".
    const std::u16string& first = args[0];
    if (const OptionForm* alone = FindOption(kBeforeCommand, first))
        return ApplyOption(*alone, {}, options);
    const auto named = std::ranges::find(kCommandNames, first, &CommandName::word);
    if (named == std::end(kCommandNames))
        return Refused(CliText::kUnknownCommand, Printable(first));
    options->command = named->command;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != u'-') {
            if (arg.empty())
                return Refused(CliText::kEmptyFileName);
            options->files.push_back(arg);
        } else if (arg == u"--") {
            optionsEnded = true;
        } else {
            ParseOutcome outcome = ParseOption(args, &i, options);
            if (outcome.result != ParseResult::kParsed)
                return outcome;
        }
    }
    return kGoOn;
}

std::optional<CliText> RefusedCombination(const Options& options, bool stdoutIsTerminal) {
    if (options.files.empty())
        return CliText::kNoFileGiven;
    if (options.password.count > 1 || options.newPassword.count > 1)
        return CliText::kTwoPasswordSources;
    if (options.hasOutput && options.inPlace)
        return CliText::kOutputWithInPlace;
    if (options.hasOutput && options.files.size() > 1)
        return CliText::kOutputWithSeveralFiles;
    if (options.hasOutput && options.recursive)
        return CliText::kRecursiveWithOutput;
    if (options.dryRun && !options.recursive)
        return CliText::kDryRunNeedsRecursive;
    bool anyStandardInput = false;
    for (const std::u16string& file : options.files) anyStandardInput |= file == u"-";
    if (options.recursive && anyStandardInput && HasDashAndDescriptors())
        return CliText::kRecursiveStandardInput;
    const bool outputIsStandard = options.hasOutput && options.output == u"-";
    if (options.command == kRecover && options.files.size() > 1)
        return CliText::kRecoverOneFile;
    if ((options.command == kCheck || options.command == kRecover) && HasDashAndDescriptors()) {
        if (anyStandardInput)
            return CliText::kRecoveryStandardInput;
        if (outputIsStandard)
            return CliText::kRecoverToStandardOutput;
    }
    if (outputIsStandard && !HasDashAndDescriptors())
        return CliText::kOutputToStandardOutput;
    // Encryption never writes a container on a terminal: with "-o -", or with FILE "-" and no
    // --output (below).
    if (outputIsStandard && options.command == kEncrypt && stdoutIsTerminal)
        return CliText::kEncryptToTerminal;
    if (!anyStandardInput || !HasDashAndDescriptors())
        return std::nullopt;
    if (options.files.size() > 1)
        return CliText::kStandardInputNotAlone;
    if (options.command == kShred)
        return CliText::kShredStandardInput;
    if (options.command == kPasswd)
        return CliText::kPasswdStandardInput;
    if (options.inPlace)
        return CliText::kStandardInputInPlace;
    if (options.password.source == PasswordSource::kStdin ||
        (options.password.source == PasswordSource::kDescriptor && options.password.fd == 0)) {
        return CliText::kStandardInputTwice;
    }
    if (options.command == kEncrypt && !options.hasOutput && stdoutIsTerminal)
        return CliText::kEncryptToTerminal;
    return std::nullopt;
}

void NoteStandardStreams(Options* options) {
    if (!HasDashAndDescriptors())
        return;
    if (options->hasOutput && options->output == u"-") {
        options->hasOutput = false;
        options->output.clear();
        options->toStandardOutput = true;
    }
    for (const std::u16string& file : options->files) options->standardInput |= file == u"-";
    if (options->standardInput)
        options->toStandardOutput = !options->hasOutput;
}
