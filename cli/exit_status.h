// The command line's exit statuses, by the kind of the first failure. The table below is their
// one description: --help prints it, and a test holds the manual pages and the guide against it.
#pragma once
#include <string_view>

#include "cli/texts.h"
#include "ui/messages.h"

constexpr int kExitSuccess = 0;        // every run completed
constexpr int kExitFailure = 1;        // any other failure (a run could not start)
constexpr int kExitUsage = 2;          // the command line itself is wrong; nothing was run
constexpr int kExitWrongPassword = 3;  // wrong password, or the entries differ or are empty
constexpr int kExitNotContainer = 4;   // not a container, or a damaged one
constexpr int kExitCannotAccess = 5;   // cannot open, read, write or delete
constexpr int kExitTooLarge = 6;       // too large, or out of memory
constexpr int kExitDeclined = 7;       // an overwrite was declined
constexpr int kExitRecoverable = 8;    // check: a wreck that recover restores; recover: some
                                       // bytes stay unknown

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
        case MessageId::kPathTooLong:
            return kExitCannotAccess;
        case MessageId::kTooLarge:
        case MessageId::kNoMemory:
            return kExitTooLarge;
        default:
            return kExitFailure;
    }
}

struct ExitStatusRow {
    std::u16string_view status;  // as --help shows it: "0", ..., "128+N"
    CliText meaning;
};

constexpr ExitStatusRow kExitStatuses[] = {
    {u"0", CliText::kExitMeansSuccess},      {u"1", CliText::kExitMeansFailure},
    {u"2", CliText::kExitMeansUsage},        {u"3", CliText::kExitMeansWrongPassword},
    {u"4", CliText::kExitMeansNotContainer}, {u"5", CliText::kExitMeansCannotAccess},
    {u"6", CliText::kExitMeansTooLarge},     {u"7", CliText::kExitMeansDeclined},
    {u"8", CliText::kExitMeansRecoverable},  {u"128+N", CliText::kExitMeansSignal},
};
