// The zok program's entry: arguments arrive as bytes, UTF-8 except perhaps a FILE's name.
#include <signal.h>

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/front_end.h"
#include "cli/interrupts.h"

int main(int argc, char** argv) {
    // A closed standard error must not kill the process halfway through writing a file.
    signal(SIGPIPE, SIG_IGN);
    EndOnInterrupts();
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(ArgumentText(argv[i]));
    ExitNow(RunCommandLine(args));
}
