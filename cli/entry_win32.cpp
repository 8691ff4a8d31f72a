// The zok-cli program's entry: arguments arrive as UTF-16 (linked with -municode). The console
// does not expand wildcards, so FILE patterns are expanded here, before the parse.
#include <string>
#include <vector>

#include "cli/front_end.h"
#include "cli/language.h"
#include "cli/platform.h"
#include "cli/texts.h"
#include "cli/wildcards.h"

namespace {

// A pattern that matches no file fails the whole command, as a missing file would: nothing runs.
int NoMatch(const std::u16string& pattern) {
    WriteStderr(u"zok-cli: " + Filled(TextIn(UserLanguage(), CliText::kNoFileMatches), pattern) +
                u"\n");
    return kExitCannotAccess;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    EndOnInterrupts();
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    std::u16string unmatched;
    if (!ExpandWildcards(&args, &unmatched))
        ExitNow(NoMatch(unmatched));
    ExitNow(RunCommandLine(args));
}
