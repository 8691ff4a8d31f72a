// The zok-cli program's entry: arguments arrive as UTF-16 (linked with -municode). FILE
// patterns are expanded after the parse (cli/wildcards.h).
#include <windows.h>

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/front_end.h"
#include "cli/interrupts.h"

namespace {

// Started from Explorer, the program is the only one in a console window made for it. Started
// from a console's shell it shares that console; started without a window (CREATE_NO_WINDOW, as
// a script's or a service's child) its console has none.
bool AloneInAConsoleWindow() {
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1 && GetConsoleWindow() != nullptr;
}

// Up to the end of a line, or of the input.
void WaitForEnter() {
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char unit = 0;
    DWORD count = 0;
    while (ReadFile(in, &unit, 1, &count, nullptr) && count == 1 && unit != '\n') {
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    EndOnInterrupts();
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(ArgumentText(argv[i]));
    if (AloneInAConsoleWindow())
        ExitNow(RunInConsoleOfItsOwn(args, WaitForEnter));
    ExitNow(RunCommandLine(args));
}
