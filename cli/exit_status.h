// The command line's exit statuses, by the kind of the first failure.
#pragma once

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
