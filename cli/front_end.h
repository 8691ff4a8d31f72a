// The command-line front end over the in-memory dialog: what the platform entries call.
#pragma once
#include <string>
#include <vector>

// Runs the command line (the arguments after the program's name); returns the exit status.
int RunCommandLine(const std::vector<std::u16string>& args);
