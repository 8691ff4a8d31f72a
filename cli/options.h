// What the command line asks for: the command, its options and its FILE operands, parsed from
// the arguments after the program's name.
#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/linux_streams.h"
#include "cli/texts.h"
#include "ui/control_ids.h"

// A command of the window is the press of its button: its value is the button's control
// identifier. check and recover press no button (cli/recovery.h).
enum CommandKind : uint32_t {
    kEncrypt = IDC_ENCRYPT,
    kDecrypt = IDC_DECRYPT,
    kShred = IDC_SHRED,
    kCheck = 0x100,
    kRecover = 0x101,
    kPasswd = 0x102,  // re-keys containers (cli/passwd.h); presses no button
};

// The commands by the word that names them, in the order that gives each its bit (CommandBit),
// and what --help says each does.
struct CommandName {
    std::u16string_view word;
    CommandKind command;
    CliText about;
};

inline constexpr CommandName kCommandNames[] = {
    {u"encrypt", kEncrypt, CliText::kAboutEncrypt}, {u"decrypt", kDecrypt, CliText::kAboutDecrypt},
    {u"shred", kShred, CliText::kAboutShred},       {u"check", kCheck, CliText::kAboutCheck},
    {u"recover", kRecover, CliText::kAboutRecover}, {u"passwd", kPasswd, CliText::kAboutPasswd},
};

// A set of commands, one bit each; kBeforeCommand stands for the first argument, before any
// command.
using CommandSet = uint8_t;
constexpr CommandSet kBeforeCommand = 1u << 7;

constexpr CommandSet CommandBit(CommandKind command) {
    for (size_t i = 0; i < std::size(kCommandNames); ++i) {
        if (kCommandNames[i].command == command)
            return static_cast<CommandSet>(1u << i);
    }
    return 0;
}

enum class OptionId : uint8_t {
    kInPlace,
    kYes,
    kQuiet,
    kRecursive,
    kDryRun,
    kForce,
    kPasswordStdin,
    kPasswordFile,
    kPasswordFd,
    kNewPasswordStdin,
    kNewPasswordFile,
    kNewPasswordFd,
    kOutput,
    kHelp,
    kVersion
};

// What follows an option: nothing, a file's name, or a descriptor's number.
enum class OptionValue : uint8_t { kNone, kFileName, kDescriptor };

struct OptionForm {
    std::u16string_view longName;
    char16_t shortName;  // 0: none
    OptionId id;
    OptionValue value;
    CommandSet commands;  // the commands that take it; none: the program lacks it
    CliText about;        // what it does, for --help and the manual pages
    CliText valueName{};  // what stands for its value there, when it takes one
};

// The sets of commands in the table. check writes nothing, recover never writes in place and
// walks nothing, shred asks for no password, passwd asks for a second one; descriptors exist
// only in the Linux program.
constexpr CommandSet kAllCommands = (1u << std::size(kCommandNames)) - 1;
constexpr CommandSet kCipherCommands = CommandBit(kEncrypt) | CommandBit(kDecrypt);
constexpr CommandSet kPasswordCommands = kAllCommands & ~CommandBit(kShred);
constexpr CommandSet kWritingCommands = kCipherCommands | CommandBit(kRecover);
constexpr CommandSet kWalkingCommands = kAllCommands & ~CommandBit(kRecover);
constexpr CommandSet kDescriptorCommands = HasDashAndDescriptors() ? kPasswordCommands : 0;
constexpr CommandSet kNewPasswordCommands = CommandBit(kPasswd);
constexpr CommandSet kNewDescriptorCommands = HasDashAndDescriptors() ? kNewPasswordCommands : 0;

// Every option, and the commands that take it, in the order --help and the manual pages list
// them: the parse refuses an option the command does not take, and --help, the manual pages'
// entries and the bash completion are made from this table (cli/help.cpp, cli/reference.cpp).
inline constexpr OptionForm kOptionForms[] = {
    {u"--output", u'o', OptionId::kOutput, OptionValue::kFileName, kWritingCommands,
     CliText::kAboutOutput, CliText::kValueOut},
    {u"--in-place", 0, OptionId::kInPlace, OptionValue::kNone, kCipherCommands,
     CliText::kAboutInPlace},
    {u"--yes", u'y', OptionId::kYes, OptionValue::kNone, kWritingCommands, CliText::kAboutYes},
    {u"--quiet", u'q', OptionId::kQuiet, OptionValue::kNone, kAllCommands, CliText::kAboutQuiet},
    {u"--recursive", u'r', OptionId::kRecursive, OptionValue::kNone, kWalkingCommands,
     CliText::kAboutRecursive},
    {u"--dry-run", u'n', OptionId::kDryRun, OptionValue::kNone, kWalkingCommands,
     CliText::kAboutDryRun},
    {u"--force", 0, OptionId::kForce, OptionValue::kNone, CommandBit(kEncrypt),
     CliText::kAboutForce},
    {u"--password-file", 0, OptionId::kPasswordFile, OptionValue::kFileName, kPasswordCommands,
     CliText::kAboutPasswordFile, CliText::kValuePasswordFile},
    {u"--password-fd", 0, OptionId::kPasswordFd, OptionValue::kDescriptor, kDescriptorCommands,
     CliText::kAboutPasswordFd, CliText::kValueDescriptor},
    {u"--password-stdin", 0, OptionId::kPasswordStdin, OptionValue::kNone, kPasswordCommands,
     CliText::kAboutPasswordStdin},
    {u"--new-password-file", 0, OptionId::kNewPasswordFile, OptionValue::kFileName,
     kNewPasswordCommands, CliText::kAboutNewPasswordFile, CliText::kValueNewPasswordFile},
    {u"--new-password-fd", 0, OptionId::kNewPasswordFd, OptionValue::kDescriptor,
     kNewDescriptorCommands, CliText::kAboutNewPasswordFd, CliText::kValueDescriptor},
    {u"--new-password-stdin", 0, OptionId::kNewPasswordStdin, OptionValue::kNone,
     kNewPasswordCommands, CliText::kAboutNewPasswordStdin},
    {u"--help", u'h', OptionId::kHelp, OptionValue::kNone, kAllCommands | kBeforeCommand,
     CliText::kAboutHelp},
    {u"--version", u'V', OptionId::kVersion, OptionValue::kNone, kAllCommands | kBeforeCommand,
     CliText::kAboutVersion},
};

enum class PasswordSource : uint8_t { kTerminal, kStdin, kFile, kDescriptor };

// Where one password comes from.
struct PasswordOrigin {
    PasswordSource source = PasswordSource::kTerminal;
    uint32_t count = 0;   // sources named: more than one is refused
    std::u16string name;  // the file of a file source, the number of a descriptor
    int fd = -1;
};

struct Options {
    CommandKind command = kEncrypt;
    bool inPlace = false;
    bool yes = false;
    bool quiet = false;
    bool recursive = false;  // -r: a folder operand is walked (cli/walk.h)
    bool dryRun = false;     // -n with -r: what each file would get, and nothing written
    bool force = false;      // encrypt: also a FILE this password already opens
    PasswordOrigin password;
    PasswordOrigin newPassword;  // passwd: the password it gives
    bool hasOutput = false;
    std::u16string output;
    bool standardInput = false;     // FILE is "-"
    bool toStandardOutput = false;  // FILE is "-" without --output, or --output is "-"
    std::vector<std::u16string> files;
};

enum class ParseResult { kParsed, kHelpShown, kVersionShown, kFailed };

// What the parse decided; the caller prints it.
struct ParseOutcome {
    ParseResult result = ParseResult::kParsed;
    // kFailed: the usage error, and what its "{}" stands for (an argument as messages show it).
    CliText problem = CliText::kNoCommand;
    std::u16string named = {};
};

// Parses `args` into `options`. The FILE operands are taken as they stand: options are
// recognised before anything could expand a FILE.
ParseOutcome ParseArguments(const std::vector<std::u16string>& args, Options* options);

// The combination of options and FILEs, as parsed, that cannot work, if any; refused before
// anything is read or run. An encryption does not write a container on standard output when
// that is a terminal (`stdoutIsTerminal`).
std::optional<CliText> RefusedCombination(const Options& options, bool stdoutIsTerminal);
// Notes in `options` whether FILE "-" stands for standard input and whether the result goes to
// standard output; "-o -" is then no longer an output file. For options that passed
// RefusedCombination.
void NoteStandardStreams(Options* options);
