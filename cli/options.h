// What the command line asks for: the command, its options and its FILE operands, parsed from
// the arguments after the program's name.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
};

enum class PasswordSource : uint8_t { kTerminal, kStdin, kFile, kDescriptor };

struct Options {
    CommandKind command = kEncrypt;
    bool inPlace = false;
    bool yes = false;
    bool quiet = false;
    bool recursive = false;  // -r: a folder operand is walked (cli/walk.h)
    PasswordSource passwordSource = PasswordSource::kTerminal;
    uint32_t passwordSourceCount = 0;
    std::u16string passwordSourceName;  // the file of --password-file, the number of --password-fd
    int passwordFd = -1;
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
