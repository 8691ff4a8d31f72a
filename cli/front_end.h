// The command-line front end over the in-memory dialog: what the platform entries call.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "cli/texts.h"

// Exit statuses, by the kind of the first failure. The manual pages and --help list them.
constexpr int kExitSuccess = 0;        // every run completed
constexpr int kExitFailure = 1;        // any other failure (a run could not start)
constexpr int kExitUsage = 2;          // the command line itself is wrong; nothing was run
constexpr int kExitWrongPassword = 3;  // wrong password, or the entries differ or are empty
constexpr int kExitNotContainer = 4;   // not a container, or a damaged one
constexpr int kExitCannotAccess = 5;   // cannot open, read, write or delete
constexpr int kExitTooLarge = 6;       // too large, or out of memory
constexpr int kExitDeclined = 7;       // an overwrite was declined

// Runs the command line (the arguments after the program's name); returns the exit status.
int RunCommandLine(const std::vector<std::u16string>& args);
// Reports a usage error on standard error, `named` in place of its "{}"; returns kExitUsage.
int UsageError(CliText problem, std::u16string_view named = {});
