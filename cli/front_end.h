// The command-line front end over the in-memory dialog: what the platform entries call.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "cli/texts.h"

constexpr int kExitSuccess = 0;  // every run completed
constexpr int kExitFailure = 1;  // a run failed, or an overwrite was declined
constexpr int kExitUsage = 2;    // the command line itself is wrong

// Runs the command line (the arguments after the program's name); returns the exit status.
int RunCommandLine(const std::vector<std::u16string>& args);
// Reports a usage error on standard error, `named` in place of its "{}"; returns kExitUsage.
int UsageError(CliText problem, std::u16string_view named = {});
