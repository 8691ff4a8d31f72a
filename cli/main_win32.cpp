// The zok-cli program's entry: arguments arrive as UTF-16 (linked with -municode). FILE
// patterns are expanded after the parse (cli/wildcards.h).
#include <string>
#include <vector>

#include "cli/front_end.h"
#include "cli/platform.h"

int wmain(int argc, wchar_t** argv) {
    EndOnInterrupts();
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    ExitNow(RunCommandLine(args));
}
