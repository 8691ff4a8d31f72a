// The command line's exit statuses, by the kind of the first failure. The table below is their
// one description: --help and the manual pages' EXIT STATUS entries are made from it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/ending_signals.h"
#include "cli/texts.h"
#include "core/recovery.h"
#include "ui/messages.h"

constexpr int kExitSuccess = 0;        // every run completed
constexpr int kExitFailure = 1;        // any other failure (a run could not start)
constexpr int kExitUsage = 2;          // the command line itself is wrong; nothing was run
constexpr int kExitWrongPassword = 3;  // wrong password, or the entries differ or are empty
constexpr int kExitNotContainer = 4;   // not a container, or a damaged one
constexpr int kExitCannotAccess = 5;   // cannot open, read, write or delete
constexpr int kExitTooLarge = 6;       // too large, or out of memory
constexpr int kExitDeclined = 7;       // an overwrite was declined
// A wreck of an interrupted in-place save, not wholly back: for check, a wreck that recover
// restores; for recover, a file written with some bytes or its exact length unknown (all
// known gives 0).
constexpr int kExitWreck = 8;
// An end by one of kEndingSignals: this + the signal's number.
constexpr int kExitSignalBase = 128;

// With several files, every file is tried and the first failure decides: `status` so far, then
// the next file's.
constexpr int FirstFailure(int status, int next) {
    return status != kExitSuccess ? status : next;
}

// The exit status for a run, or a file of check and recover, that failed with `message`.
constexpr int ExitStatusOf(MessageId message) {
    switch (message) {
        case MessageId::kPasswordMismatch:
        case MessageId::kWrongPassword:
        case MessageId::kInterruptedSave:
            return kExitWrongPassword;
        case MessageId::kDamaged:
            return kExitNotContainer;
        case MessageId::kOpenFailed:
        case MessageId::kReadFailed:
        case MessageId::kWriteFailed:
        case MessageId::kDeleteFailed:
        case MessageId::kOutputPathTooLong:
            return kExitCannotAccess;
        case MessageId::kTooLarge:
        case MessageId::kNoMemory:
            return kExitTooLarge;
        default:
            return kExitFailure;
    }
}

// check's status for what a file is: 8 for a wreck that recover restores, found by its checks;
// a file that may only be one (a grown reservation's zeros, 16 bytes of a tiny save) is 3 like
// any other that this password does not open.
constexpr int ExitStatusOf(FileState state) {
    switch (state) {
        case FileState::kSound:
            return kExitSuccess;
        case FileState::kWrongPassword:
        case FileState::kReservationTail:
        case FileState::kUnconfirmedWreck:
            return kExitWrongPassword;
        case FileState::kInterruptedEncryption:
        case FileState::kInterruptedDecryption:
            return kExitWreck;
        default:
            return kExitNotContainer;
    }
}

struct ExitStatusRow {
    int status;  // kExitSignalBase stands for every status of an ending signal
    CliText meaning;
};

constexpr ExitStatusRow kExitStatuses[] = {
    {kExitSuccess, CliText::kExitMeansSuccess},
    {kExitFailure, CliText::kExitMeansFailure},
    {kExitUsage, CliText::kExitMeansUsage},
    {kExitWrongPassword, CliText::kExitMeansWrongPassword},
    {kExitNotContainer, CliText::kExitMeansNotContainer},
    {kExitCannotAccess, CliText::kExitMeansCannotAccess},
    {kExitTooLarge, CliText::kExitMeansTooLarge},
    {kExitDeclined, CliText::kExitMeansDeclined},
    {kExitWreck, CliText::kExitMeansWreck},
    {kExitSignalBase, CliText::kExitMeansSignal},
};

// A row's status as --help shows it: "0", ..., "8", "128+N".
inline std::u16string ExitStatusText(int status) {
    return status == kExitSignalBase ? Number(status) + u"+N" : Number(status);
}

// The statuses of the ending signals, in the order of kEndingSignals: "130, 143, 129, 131".
inline std::u16string EndingSignalStatuses() {
    std::u16string text;
    for (int signalNumber : kEndingSignals) {
        text += text.empty() ? u"" : u", ";
        text += Number(kExitSignalBase + signalNumber);
    }
    return text;
}
