// The command line's own words: help, usage errors, prompts, notes and the system's reasons,
// each named by an identifier and written once per language, beside the run's messages
// (ui/messages.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "fileops/system_reason.h"
#include "ui/messages.h"

enum class CliText : uint8_t {
    // --help: the usage lines, the warning and what the program does (up to the blank line, what
    // a call without arguments prints), and the notes after the options; "{}" stands for the
    // program's name. The rest of --help is assembled from the tables (cli/help.h).
    kUsage,
    kHelpNotes,
    // Usage errors; "{}" stands for the argument or program name the text names.
    kNoCommand,
    kUnknownCommand,
    kUnknownOption,
    kOptionNeedsValue,
    kOptionTakesNoValue,
    kBadDescriptor,
    kTwoPasswordSources,
    kOutputWithInPlace,
    kOutputWithSeveralFiles,
    kRecursiveWithOutput,
    kDryRunNeedsRecursive,
    kRecursiveStandardInput,
    kOutputToStandardOutput,
    kStandardInputNotAlone,
    kStandardInputTwice,
    kStandardInputInPlace,
    kShredStandardInput,
    kPasswdStandardInput,
    kEncryptToTerminal,
    kEmptyFileName,
    kNoFileGiven,
    kNoTerminal,
    kPasswordNotUtf8,
    kPasswordHasNul,
    kPasswordTooLong,
    kArgumentNotUtf8,
    kTryHelp,
    // zok-cli.exe started from Explorer: the way to the console, then the usage; the request
    // to press Enter before its console closes.
    kStartedAlone,  // "{}" is the program's name
    kPressEnter,
    // The exit statuses in --help: the heading, then each status's meaning (cli/exit_status.h).
    kExitStatusHeading,
    kExitMeansSuccess,
    kExitMeansFailure,
    kExitMeansUsage,
    kExitMeansWrongPassword,
    kExitMeansNotContainer,
    kExitMeansCannotAccess,
    kExitMeansTooLarge,
    kExitMeansDeclined,
    kExitMeansWreck,
    kExitMeansSignal,
    // What each command and each option does, for --help and the manual pages: named by the rows
    // of kCommandNames and kOptionForms (cli/options.h), then "--". Line breaks are --help's.
    kAboutEncrypt,
    kAboutDecrypt,
    kAboutShred,
    kAboutCheck,
    kAboutRecover,
    kAboutPasswd,
    kAboutOutput,
    kAboutInPlace,
    kAboutYes,
    kAboutQuiet,
    kAboutRecursive,
    kAboutDryRun,
    kAboutForce,
    kAboutPasswordFile,
    kAboutPasswordFd,
    kAboutPasswordStdin,
    kAboutNewPasswordFile,
    kAboutNewPasswordFd,
    kAboutNewPasswordStdin,
    kAboutHelp,
    kAboutVersion,
    kAboutEndOfOptions,
    // What follows an option that takes a value: "--output=OUT".
    kValueOut,
    kValuePasswordFile,
    kValueNewPasswordFile,
    kValueDescriptor,
    // Failures outside the runs.
    kPasswordUnreadable,  // "{}" names the file or descriptor
    kPasswordStdinUnreadable,
    kStandardInputUnreadable,
    kStandardOutputUnwritable,
    // Prompts and the overwrite question's keys and answers.
    kPasswordPrompt,  // encrypt: the first of the two entries
    kConfirmPrompt,
    kPasswordOncePrompt,  // decrypt, check, recover: the one entry
    kNewPasswordPrompt,   // passwd: each of the two entries of the new password
    kPasswordFileEmpty,
    kEntriesDiffer,
    kQuestionKeys,
    kAnsweredYes,
    kAnsweredNo,
    // Notes on one file.
    kNotOverwritten,
    kNoCurrentDirectory,
    kPathTooLongForField,
    kNameNotText,
    kOutputWritten,        // the last line of a run with a separate output: "{}" is its path
    kOutputFolderMissing,  // a separate output's folder: "{}" is the folder
    kNotOpenedByPassword,  // decrypt: the header does not match the password
    kNoFileMatches,        // zok-cli.exe: a FILE pattern that matches no file ("{}" is the pattern)
    kFolderNeedsRecursive,
    kAlreadyOwnContainer,  // encrypt without --force of a FILE this password already opens
    kHasOtherNames,        // passwd: hard links would part from the re-keyed file
    kRekeyed,              // passwd: the done line
    // The walk of -r (cli/walk.h): why an entry is left, and the walk's own lines.
    kSkippedLink,
    kSkippedSpecial,
    kSkippedOtherFileSystem,
    kSkippedWalkedFolder,
    kSkippedManyNames,
    kSkippedChanged,  // followed by the reason
    kSkippedUnfinished,
    kSkippedOwnContainer,
    kSkippedNotOwnContainer,
    kOutputElsewhere,
    kFolderUnlistable,
    kFolderKept,
    kWreckLeftAlone,  // a walk met a wreck: "{}" is the recover command
    kWreckLeftUnrestorable,
    kFolderNotRemoved,
    kWalkSummary,  // "{}" in turn: files done, skipped, failed, bytes
    kWalkOpenedNothing,
    kDryRunWould,  // -n: "{}" is what the file would get (one of the three below)
    kDryRunEncrypt,
    kDryRunDecrypt,
    kDryRunShred,
    kDryRunRekey,
    kDryRunSummary,  // as kWalkSummary, of what would be done
    // check and recover (cli/recovery.h); "{}" stands for the number, range or name shown.
    kRecoverOneFile,
    kRecoveryStandardInput,
    kRecoverToStandardOutput,
    kCheckSound,
    kCheckWrongPassword,
    kCheckNotContainer,
    kCheckCutNotLocated,
    kCheckMixedPages,
    kCheckInterruptedDecryption,
    kCheckEncryptionWithoutHeader,
    kCheckInterruptedEncryption,
    kCheckTornPiece,  // "{}": the piece's first and last byte
    kCheckRestoresAll,
    kCheckRestoresAllBut,
    kRecoverOverSource,
    kRecoverNotNeeded,
    kRecoveredTo,
    kRecoveredUnknownBytes,
    kRecoveredAtOffsets,
    kRecoveredOnLine,   // a restored text file's doubtful bytes: "{}" is the line's number
    kRecoveredOnLines,  // "{}" is the range of lines
    kRecoveredLengthUncertain,
    kRecoveredPieceUnknown,  // "{}": the piece's first and last byte
    kCheckSmallSave,
    kCheckReservationTail,
    kCheckUnconfirmedWreck,
    kCheckBytesAfter,
    kCheckLengthRange,
    kCheckTornRange,
    kDecryptBytesAfter,
    kDecryptHint,    // decrypt refused a wreck that recover restores: "{}" is the program's name
    kPartlyWritten,  // after a failed in-place save that wrote part of FILE: "{}" is the command
    // The system's reason after a message: the frame ("{}" is the reason); the text of each
    // SystemReason but kNone follows, in the order of SystemReason (ReasonTextOf).
    kReasonFrame,
};

constexpr CliText ReasonTextOf(SystemReason reason) {
    return static_cast<CliText>(static_cast<size_t>(CliText::kReasonFrame) +
                                static_cast<size_t>(reason));
}

constexpr size_t kCliTextCount = static_cast<size_t>(ReasonTextOf(kLastSystemReason)) + 1;

const char16_t* TextIn(Language language, CliText text);

// `text` with every "{}" replaced by `value` (unchanged when it has none).
std::u16string Filled(std::u16string_view text, std::u16string_view value);
// `text` with its "{}" replaced by `values` in turn.
std::u16string FilledInTurn(std::u16string_view text,
                            std::initializer_list<std::u16string_view> values);
// `value` in decimal digits.
std::u16string Number(uint64_t value);
