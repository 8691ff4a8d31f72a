// The zok program's entry: arguments arrive as bytes and must be UTF-8.
#include <signal.h>

#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/front_end.h"
#include "cli/platform.h"
#include "fileops/utf.h"

int main(int argc, char** argv) {
    // A closed standard error must not kill the process halfway through writing a file.
    signal(SIGPIPE, SIG_IGN);
    EndOnInterrupts();
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        std::u16string arg;
        if (!Utf8ToUtf16(argv[i], &arg))
            ExitNow(UsageError(CliText::kArgumentNotUtf8));
        args.push_back(std::move(arg));
    }
    ExitNow(RunCommandLine(args));
}
