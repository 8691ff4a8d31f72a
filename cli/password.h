// The password of a command, read once for every FILE: from standard input, a file or a
// descriptor as the options name, or typed twice on the terminal.
#pragma once
#include <string>

#include "cli/options.h"

// Reads the two entries that go into the dialog's two fields; from a source both are its one
// line. `askOnTerminal`: a terminal takes the password. Returns kExitSuccess, or the status
// after the error was reported.
int ObtainPassword(const Options& options, bool askOnTerminal, std::u16string* first,
                   std::u16string* second);
// passwd's new password, from the source of the --new-password options or typed twice.
int ObtainNewPassword(const Options& options, bool askOnTerminal, std::u16string* first,
                      std::u16string* second);

// Overwrites the text's units, or the bytes, before they are let go.
void Wipe(std::u16string* text);
void Wipe(std::string* bytes);
