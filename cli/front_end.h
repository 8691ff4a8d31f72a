// The command-line front end over the in-memory dialog: what the platform entries call.
#pragma once
#include <string>
#include <vector>

// Runs the command line (the arguments after the program's name); returns the exit status.
int RunCommandLine(const std::vector<std::u16string>& args);

// zok-cli.exe alone in a console window made for it (started from Explorer: a double click, a
// file dropped on it), which closes as the program ends. With no arguments it shows the usage
// and the way to "ZOK 命令行" instead of a usage error; then, whatever the outcome, it asks for
// Enter and calls `waitForEnter` before it returns the exit status.
int RunInConsoleOfItsOwn(const std::vector<std::u16string>& args, void (*waitForEnter)());
