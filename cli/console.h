// Everything the command line prints on standard error: status lines, messages on one FILE or
// on the program, the progress bar, the system's reason and usage errors. One lock serialises
// the lines of the main thread and the run's worker; the bar is erased before any line.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/texts.h"
#include "ui/messages.h"

// The program's name as its own messages and --version give it: "zok", or "zok-cli".
std::u16string_view ProgramName();

// The command line's texts and the run's messages in the user's language.
std::u16string_view Say(MessageId message);
std::u16string_view Say(CliText text);
// The text with `value` in its "{}".
std::u16string Say(CliText text, std::u16string_view value);

// How lines look from now on: a bar while a transform runs (`drawBar`), every status line named
// by its FILE (`nameLines`), status lines left out (`quiet`).
void SetConsoleStyle(bool drawBar, bool nameLines, bool quiet);
// The FILE, as named on the command line, that later messages are about.
void SetConsoleFile(std::u16string_view displayName);

// A whole line.
void PrintLine(std::u16string_view line);
// "zok: FILE: message".
void PrintFileMessage(std::u16string_view message);
// "zok: NAME: message", for a file other than the current FILE (check and recover's outputs).
void PrintMessageAbout(std::u16string_view name, std::u16string_view message);
// "zok: message", for what concerns no one FILE.
void PrintProgramMessage(std::u16string_view message);
// A status line of the run (not with --quiet). `transformStarts`: the bar belongs to the
// transform that this line announces, until the next line.
void PrintStatusLine(std::u16string_view line, bool transformStarts);
// Moves the bar to `position` of `high`, while a transform runs.
void ShowProgress(uint32_t position, uint32_t high);
// Takes the bar off the screen, before a question or at the end of a run.
void EraseBar();
// What takes a drawn bar off its line: a carriage return, blanks over it, a carriage return.
std::u16string BarEraser();

// " (No such file or directory)" for the reason of the last refused system call, if known.
std::u16string ReasonSuffix();
// The message of a failed run or file; after a failed open, read, write or delete, which the
// system refused, with the system's reason (ReasonSuffix).
std::u16string FailureText(MessageId failure);

// Reports a usage error, `named` in place of its "{}", and how to get help; returns kExitUsage.
int UsageError(CliText problem, std::u16string_view named = {});
